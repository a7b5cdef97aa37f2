// Resource ids the program and its skin rely on.
#pragma once
#define IDI_APP 107
