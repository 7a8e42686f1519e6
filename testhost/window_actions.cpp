#include "window_actions.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char window_actions_help[] =
    "actions (--do \"A; B\" or --script FILE, one per line):\n"
    "  size WxH       client size of the filter window; before it opens\n"
    "  open           open the filter window (the first action that needs it does)\n"
    "  type TEXT      select the size field's text and type TEXT over it, each\n"
    "                 character a keystroke (WM_CHAR)\n"
    "  paste TEXT     paste TEXT over the size field's text, through the clipboard\n"
    "  enter          press Enter in the size field\n"
    "  pick I         choose entry I (0 is the first) of the size list\n"
    "  click          click the set button\n"
    "  off, on        switch the filter off or on\n"
    "  frame          process the window's current frame once; an error when it\n"
    "                 cannot be (after close, or a frame that does not run)\n"
    "  state          print the state\n"
    "  shot FILE.bmp  save the filter window as drawn\n"
    "  close          close the filter window (WM_FILTER_EXIT first)\n"
    "TEXT may be written in double quotes to keep spaces at its ends.\n";

namespace {

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool parse_count(const std::string& text, int& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  const long v = std::strtol(text.c_str(), nullptr, 10);
  if (errno == ERANGE || v > 1000000) return false;
  value = static_cast<int>(v);
  return true;
}

bool names_a_bitmap(const std::string& path) {
  if (path.size() < 5) return false;
  std::string end = path.substr(path.size() - 4);
  for (char& c : end) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return end == ".bmp";
}

struct NAMED_KIND {
  const char* name;
  ACTION_KIND kind;
  bool takes_value;
};

constexpr NAMED_KIND kinds[] = {
    {"size", ACTION_KIND::size, true},    {"open", ACTION_KIND::open, false},
    {"type", ACTION_KIND::type, true},    {"paste", ACTION_KIND::paste, true},
    {"enter", ACTION_KIND::enter, false}, {"pick", ACTION_KIND::pick, true},
    {"click", ACTION_KIND::click, false}, {"off", ACTION_KIND::off, false},
    {"on", ACTION_KIND::on, false},       {"frame", ACTION_KIND::frame, false},
    {"state", ACTION_KIND::state, false}, {"shot", ACTION_KIND::shot, true},
    {"close", ACTION_KIND::close, false},
};

}  // namespace

bool parse_action(const std::string& written, WINDOW_ACTION& action, std::string& error) {
  const std::string text = trimmed(written);
  const size_t space = text.find_first_of(" \t");
  const std::string name = text.substr(0, space);
  std::string value = space == std::string::npos ? std::string() : trimmed(text.substr(space));
  action = WINDOW_ACTION{};
  action.source = text;

  const NAMED_KIND* found = nullptr;
  for (const NAMED_KIND& k : kinds)
    if (name == k.name) found = &k;
  if (!found) {
    error = "unknown action '" + name + "'";
    return false;
  }
  action.kind = found->kind;
  if (!found->takes_value) {
    if (!value.empty()) {
      error = "'" + name + "' takes no value";
      return false;
    }
    return true;
  }
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  if (value.empty()) {
    error = "'" + name + "' needs a value";
    return false;
  }
  switch (action.kind) {
    case ACTION_KIND::size: {
      const size_t x = value.find('x');
      if (x == std::string::npos || !parse_count(value.substr(0, x), action.a) ||
          !parse_count(value.substr(x + 1), action.b) || action.a < 1 || action.b < 1) {
        error = "size " + value + ": expected WxH";
        return false;
      }
      return true;
    }
    case ACTION_KIND::pick:
      if (!parse_count(value, action.a)) {
        error = "pick " + value + ": expected an entry number from 0";
        return false;
      }
      return true;
    case ACTION_KIND::shot:
      if (!names_a_bitmap(value)) {
        error = "shot " + value + ": screenshots are saved as .bmp";
        return false;
      }
      action.text = value;
      return true;
    default:
      action.text = value;
      return true;
  }
}

bool parse_action_list(const std::string& text, std::vector<WINDOW_ACTION>& actions,
                       std::string& error) {
  std::string current;
  bool quoted = false;
  auto finish = [&]() {
    if (trimmed(current).empty()) return true;
    WINDOW_ACTION action;
    if (!parse_action(current, action, error)) return false;
    actions.push_back(action);
    current.clear();
    return true;
  };
  for (const char c : text) {
    if (c == '"') quoted = !quoted;
    if (c == ';' && !quoted) {
      if (!finish()) return false;
      current.clear();
    } else {
      current += c;
    }
  }
  if (quoted) {
    error = "a double quote is not closed in: " + text;
    return false;
  }
  return finish();
}

bool read_action_file(const std::string& path, std::vector<WINDOW_ACTION>& actions,
                      std::string& error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot open the script '" + path + "'";
    return false;
  }
  char line[1024];
  int number = 0;
  bool ok = true;
  while (ok && std::fgets(line, sizeof line, file)) {
    ++number;
    const std::string text = trimmed(line);
    if (text.empty() || text[0] == '#') continue;
    WINDOW_ACTION action;
    if (!parse_action(text, action, error)) {
      error = path + " line " + std::to_string(number) + ": " + error;
      ok = false;
    } else {
      actions.push_back(action);
    }
  }
  std::fclose(file);
  return ok;
}
