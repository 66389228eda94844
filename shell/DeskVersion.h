// RYKIVDesk's file version, 1.1.0.0, compiled into the program file where
// the About box reads it back from the running program (it shows "v1.1").
// The terminal's start-up source declares it once, at namespace scope:
//
//   KIV_DESK_FILE_VERSION();
//
// A program file holds one version: a second declaration fails the link.
#pragma once

#include "platform/sys/Processes.h"

#define KIV_DESK_FILE_VERSION() KIV_PROGRAM_FILE_VERSION(1, 1, 0, 0)
