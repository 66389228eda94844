#include "platform/sys/ProfileText.h"

#include "platform/sys/GbkText.h"

namespace kiv {

bool IsProfileBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view TrimProfileBlanks(std::string_view text) {
  while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

namespace {

void AddDistinct(std::vector<std::string>* names, const std::string& name) {
  for (const std::string& known : *names) {
    if (EqualsNoCaseGbk(known, name)) return;
  }
  names->push_back(name);
}

}  // namespace

ProfileText::ProfileText(std::string_view content) {
  size_t start = 0;
  while (start < content.size()) {
    Line line;
    const size_t newline = content.find('\n', start);
    const size_t end = newline == std::string_view::npos ? content.size() : newline;
    size_t textEnd = end;
    if (newline != std::string_view::npos) {
      line.eol = "\n";
      if (textEnd > start && content[textEnd - 1] == '\r') {
        --textEnd;
        line.eol = "\r\n";
      }
    }
    line.text = std::string(content.substr(start, textEnd - start));
    Classify(&line);
    lines_.push_back(std::move(line));
    start = newline == std::string_view::npos ? content.size() : newline + 1;
  }
}

void ProfileText::Classify(Line* line) {
  std::string_view text = TrimProfileBlanks(line->text);
  if (text.empty() || text.front() == ';') return;
  if (text.front() == '[') {
    const size_t close = FindCharGbk(text, ']', 1);
    if (close == std::string_view::npos) return;  // damaged header: means nothing
    line->kind = Line::kSection;
    line->name = std::string(TrimProfileBlanks(text.substr(1, close - 1)));
    return;
  }
  const size_t equals = FindCharGbk(text, '=');
  if (equals == std::string_view::npos) return;
  line->kind = Line::kEntry;
  line->name = std::string(TrimProfileBlanks(text.substr(0, equals)));
  line->value = std::string(TrimProfileBlanks(text.substr(equals + 1)));
}

std::string ProfileText::Serialise() const {
  std::string out;
  for (const Line& line : lines_) {
    out += line.text;
    out += line.eol;
  }
  return out;
}

// Calls visit(index) for every entry of every section named `section`, in
// file order, until it returns true.
template <typename Visit>
void ProfileText::ForEachEntryOf(std::string_view section, Visit visit) const {
  bool inSection = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Line::kSection) {
      inSection = EqualsNoCaseGbk(lines_[i].name, section);
    } else if (inSection && lines_[i].kind == Line::kEntry) {
      if (visit(i)) return;
    }
  }
}

const std::string* ProfileText::Find(std::string_view section, std::string_view key) const {
  const std::string* found = nullptr;
  ForEachEntryOf(TrimProfileBlanks(section), [&](size_t i) {
    if (!EqualsNoCaseGbk(lines_[i].name, TrimProfileBlanks(key))) return false;
    found = &lines_[i].value;
    return true;
  });
  return found;
}

std::vector<std::string> ProfileText::SectionNames() const {
  std::vector<std::string> names;
  for (const Line& line : lines_) {
    if (line.kind == Line::kSection) AddDistinct(&names, line.name);
  }
  return names;
}

std::vector<std::string> ProfileText::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  ForEachEntryOf(TrimProfileBlanks(section), [&](size_t i) {
    AddDistinct(&names, lines_[i].name);
    return false;
  });
  return names;
}

std::string ProfileText::LineEnding() const {
  for (const Line& line : lines_) {
    if (!line.eol.empty()) return line.eol;
  }
  return "\r\n";
}

void ProfileText::InsertLine(size_t at, std::string text, const std::string& eol) {
  if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = eol;
  Line line;
  line.text = std::move(text);
  line.eol = eol;
  Classify(&line);
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

bool ProfileText::Apply(std::string_view section, const char* key, const char* value) {
  section = TrimProfileBlanks(section);
  if (!key) {  // delete every section of that name with all its lines
    std::vector<Line> kept;
    bool inSection = false;
    bool changed = false;
    for (Line& line : lines_) {
      if (line.kind == Line::kSection) inSection = EqualsNoCaseGbk(line.name, section);
      if (inSection) {
        changed = true;
      } else {
        kept.push_back(std::move(line));
      }
    }
    lines_ = std::move(kept);
    return changed;
  }

  const std::string_view keyName = TrimProfileBlanks(key);
  if (!value) {  // delete every entry of that key in those sections
    std::vector<size_t> doomed;
    ForEachEntryOf(section, [&](size_t i) {
      if (EqualsNoCaseGbk(lines_[i].name, keyName)) doomed.push_back(i);
      return false;
    });
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*it));
    }
    return !doomed.empty();
  }

  const std::string eol = LineEnding();
  bool changed = false;
  bool replaced = false;
  ForEachEntryOf(section, [&](size_t i) {
    Line& line = lines_[i];
    if (!EqualsNoCaseGbk(line.name, keyName)) return false;
    std::string text = line.name + "=" + value;
    if (text != line.text) {
      line.text = std::move(text);
      Classify(&line);
      changed = true;
    }
    replaced = true;
    return true;
  });
  if (replaced) return changed;

  // A new entry goes after the last entry of the first section of that name
  // (or right below its header), so comments that precede the next section
  // stay with it.
  size_t insertAt = lines_.size();
  bool found = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == Line::kSection) {
      if (found) break;
      if (EqualsNoCaseGbk(line.name, section)) {
        found = true;
        insertAt = i + 1;
      }
    } else if (found && line.kind == Line::kEntry) {
      insertAt = i + 1;
    }
  }
  if (!found) {
    InsertLine(lines_.size(), "[" + std::string(section) + "]", eol);
    insertAt = lines_.size();
  }
  InsertLine(insertAt, std::string(keyName) + "=" + value, eol);
  return true;
}

}  // namespace kiv
