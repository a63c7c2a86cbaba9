// The release's version: the version resource of the program and of its plug-in, and the package's name
// (scripts/package.sh and the package check read VELMIRA_VERSION_TEXT from here).
#pragma once

#define VELMIRA_VERSION_TEXT "2.30"
#define VELMIRA_VERSION_NUMBERS 2, 30, 0, 0
