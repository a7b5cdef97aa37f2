"""The fixed loopback ports of test and demo builds: VORLANE_PORT_BASE (18080
unless set) for the primary package host, then the spare host, the collection
endpoint, the analytics endpoint and the web site. The Makefile builds the
installer with the same numbers, so several checkouts can run side by side."""
import os

BASE = int(os.environ.get("VORLANE_PORT_BASE", "18080"))
PRIMARY, SPARE, REPORT, ANALYTICS, SITE = range(BASE, BASE + 5)
