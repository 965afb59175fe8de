#pragma once
// The configuration commands of the command line.
#include <iosfwd>
#include <optional>
#include <string>

namespace vm::cli {

class CliLink;

// read -o FILE: the whole read chain, then the file; prints "name: <unit name>".
int RunRead(CliLink& link, const std::string& file, std::ostream& out, std::ostream& err);
// upload FILE [--name NAME] [--reboot]
int RunUpload(CliLink& link, const std::string& file, const std::optional<std::string>& name, bool reboot,
              std::ostream& out, std::ostream& err);
// factory-reset [-o FILE]
int RunFactoryReset(CliLink& link, const std::optional<std::string>& file, std::ostream& out, std::ostream& err);

} // namespace vm::cli
