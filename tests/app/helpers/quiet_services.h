// What a helper program's model needs around it, all going nowhere: a
// configuration of its own, and a reporter and an analytics endpoint on port
// 9, where nothing listens.
#pragma once
#include "app/app_model.h"
#include "app/config_imp.h"
#include "report/reporter.h"

struct QuietServices {
  ConfigImp config;
  CReporter reporter{ReporterOptions{"http://127.0.0.1:9/collection/biz/upload", 600000}};

  ModelOptions options() {
    ModelOptions options;
    options.config = &config;
    options.reporter = &reporter;
    options.analytics.endpoint = L"http://127.0.0.1:9/mp/collect";
    return options;
  }
};
