#include "updater/program/ScriptedPrompts.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>

#include "platform/ui/UiTypes.h"

namespace kiv {

namespace {

int AnswerOf(const std::string& word) {
  if (word == "cancel") return IDCANCEL;
  if (word == "yes") return IDYES;
  if (word == "no") return IDNO;
  return IDOK;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

UpdatePromptAnswerer ScriptedPromptsFromEnvironment() {
  const char* script = std::getenv("KIV_UPDATE_ANSWERS");
  if (!script) return nullptr;
  struct State {
    std::mutex mutex;
    std::deque<int> answers;
    std::string log;
  };
  auto state = std::make_shared<State>();
  std::istringstream words(script);
  for (std::string word; std::getline(words, word, ',');) {
    if (!word.empty()) state->answers.push_back(AnswerOf(word));
  }
  if (const char* log = std::getenv("KIV_UPDATE_PROMPT_LOG")) state->log = log;
  return [state](const UpdatePrompt& prompt) {
    std::lock_guard<std::mutex> lock(state->mutex);
    int answer = prompt.countdown || (prompt.type & 0xF) != MB_YESNO ? IDOK : IDYES;
    if (!state->answers.empty()) {
      answer = state->answers.front();
      state->answers.pop_front();
    }
    if (!state->log.empty()) {
      if (std::FILE* file = std::fopen(state->log.c_str(), "ab")) {
        if (prompt.countdown) {
          std::fprintf(file, "countdown %d %d %s\n", prompt.mode, answer, Escaped(prompt.text).c_str());
        } else {
          std::fprintf(file, "ask %u %d %s\n", prompt.type, answer, Escaped(prompt.text).c_str());
        }
        std::fclose(file);
      }
    }
    return answer;
  };
}

}  // namespace kiv
