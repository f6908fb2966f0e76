// The arguments of one velsync command: positional words and --options (with a value, or flags).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

class CommandLine {
  public:
    // Parses `words`. `flags` names the options that take no value; every other option takes one
    // ("--name value" or "--name=value"). False, with Error() set, for an option missing its value or
    // one that is neither a flag nor in `valued`.
    bool Parse(const std::vector<std::string>& words, const std::set<std::string>& flags,
               const std::set<std::string>& valued);

    const std::vector<std::string>& Positional() const { return positional_; }
    bool Has(const std::string& name) const { return options_.count(name) != 0; }
    // The option's value, or `fallback` when absent.
    std::string Value(const std::string& name, const std::string& fallback = "") const;
    const std::string& Error() const { return error_; }

  private:
    std::vector<std::string> positional_;
    std::map<std::string, std::string> options_;
    std::string error_;
};
