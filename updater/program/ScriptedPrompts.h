// A scripted start of KivUpdate, for the tests that run it as a process:
// when KIV_UPDATE_ANSWERS is set ("ok,cancel,yes,no", one answer per
// prompt in order; OK and Yes once the list runs out), the prompts are
// answered from it instead of being shown, and each prompt is appended to
// the file KIV_UPDATE_PROMPT_LOG as one line:
//
//   countdown <mode> <answer> <text>     or     ask <MB_ flags> <answer> <text>
//
// with the text's line feeds written as "\n". Unset, prompts are shown.
#pragma once

#include "updater/UpdateHost.h"

namespace kiv {

// Null when no script is set.
UpdatePromptAnswerer ScriptedPromptsFromEnvironment();

}  // namespace kiv
