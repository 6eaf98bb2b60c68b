// The language reference for people, written from the vocabulary tables so
// that it can never disagree with the interpreter: one Markdown section per
// command (signature, operands, whether a macro may hold it, a note written
// by hand), the comparison operators, the attribute tables, the built-in
// definitions, the input variables, and the list of error messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script/commands.h"

namespace tarvolin::script {

// Notes written by hand, one per command, in a text file:
//   lines before the first "@" line are a heading comment and are ignored;
//   "@Name" (a command name as the table spells it, e.g. "@TileMapLoad" or
//   "@+=") starts the note of that command; the lines up to the next "@"
//   line are its Markdown text.
struct CommandNote {
  CommandId id = cmd::UndefinedCommand;
  std::string text;
};

// Parses a notes file. Fails on a name that is no command or a command noted
// twice; `error` then says which line ("línea N: ...").
bool ParseCommandNotes(std::string_view text, std::vector<CommandNote>& notes, std::string& error);

// Commands of the table that have no note, in table order.
std::vector<CommandId> CommandsWithoutNotes(const std::vector<CommandNote>& notes);

// The anchor of a command's section: its name when it is made of letters
// and digits ("TileMapLoad"), else "cmd" and its number ("cmd37" for +=).
std::string CommandAnchor(const CommandInfo& info);

// The command that `name` spells as a whole (ignoring case), or nullptr.
const CommandInfo* FindCommandByName(std::string_view name);

// File names of the generated pages.
inline constexpr std::string_view kCommandReferencePage = "comandos.md";
inline constexpr std::string_view kErrorReferencePage = "errores.md";

// The command reference page: commands grouped by family in table order,
// then the operators, attributes, built-in definitions and input variables.
std::string CommandReferenceMarkdown(const std::vector<CommandNote>& notes);

// The page of error messages: every code with its message.
std::string ErrorReferenceMarkdown();

}  // namespace tarvolin::script
