#pragma once
// The actions of a scripted session with the filter window, as a person would
// do them, read from a file (one per line, # starts a comment) or from the
// command line (separated by ';'). See window_actions_help.
#include <string>
#include <vector>

enum class ACTION_KIND {
  size,
  open,
  type,
  paste,
  enter,
  pick,
  click,
  off,
  on,
  frame,
  state,
  shot,
  close
};

struct WINDOW_ACTION {
  ACTION_KIND kind;
  std::string text;    // type, paste: the text; shot: the file
  int a = 0;           // size: width; pick: the entry
  int b = 0;           // size: height
  std::string source;  // the action as written, for messages and the log
};

extern const char window_actions_help[];

// One action, e.g. "type 1920x1080" or "size 400x90". TEXT of type and paste
// is the rest of the action without the spaces around it, or, written in
// double quotes, exactly what stands between them. False, with a message, for
// an unknown action or a bad or missing value.
bool parse_action(const std::string& written, WINDOW_ACTION& action, std::string& error);

// Actions separated by ';' (not inside double quotes); empty ones are skipped.
bool parse_action_list(const std::string& text, std::vector<WINDOW_ACTION>& actions,
                       std::string& error);

// A file of actions, one per line; blank lines and lines starting with # are skipped.
bool read_action_file(const std::string& path, std::vector<WINDOW_ACTION>& actions,
                      std::string& error);
