#include "source/command_line_tools/option_table.h"

#include <CLI/CLI.hpp>

#include "source/command_line_tools/option_values.h"

namespace kelm::cli {

struct OptionTable::Entry {
  std::string name;  // the long name, as messages give it
  std::vector<std::string> names;
  CLI::Option* option = nullptr;
  std::vector<std::string> values;
  OptionTable::Take take;
  std::function<void()> set;  // for a flag
};

namespace {

std::vector<std::string> namesOf(const std::string& names) {
  std::vector<std::string> list;
  for (std::size_t start = 0; start <= names.size();) {
    const std::size_t comma = std::min(names.find(',', start), names.size());
    list.push_back(names.substr(start, comma - start));
    start = comma + 1;
  }
  return list;
}

}  // namespace

OptionTable::OptionTable(std::vector<std::string>& operands) : app_(std::make_unique<CLI::App>()) {
  app_->set_help_flag();
  // Unknown options are collected, so that the message is ours.
  app_->allow_extras();
  app_->add_option("operands", operands);
}

OptionTable::~OptionTable() = default;

OptionTable& OptionTable::value(const std::string& names, Take take) {
  Entry& entry = entries_.emplace_back();
  entry.names = namesOf(names);
  entry.name = entry.names.back();
  entry.take = std::move(take);
  // Every value is kept, so that an option given twice is refused rather than one value winning.
  entry.option = app_->add_option(names, entry.values)
                     ->expected(1)
                     ->allow_extra_args(false)
                     ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  return *this;
}

OptionTable& OptionTable::flag(const std::string& names, std::function<void()> set) {
  Entry& entry = entries_.emplace_back();
  entry.names = namesOf(names);
  entry.name = entry.names.back();
  entry.set = std::move(set);
  entry.option = app_->add_flag(names);
  return *this;
}

const OptionTable::Entry* OptionTable::entryOf(std::string_view name) const {
  for (const Entry& entry : entries_) {
    if (std::find(entry.names.begin(), entry.names.end(), name) != entry.names.end()) return &entry;
  }
  return nullptr;
}

void OptionTable::parse(int argc, const char* const* argv) {
  std::vector<std::string> arguments;  // last first, as CLI11 takes them
  bool optionsEnded = false;
  for (int i = argc - 1; i >= 1; --i) arguments.emplace_back(argv[i]);
  for (std::size_t i = arguments.size(); i-- > 0 && !optionsEnded;) {
    const std::string argument = arguments[i];
    optionsEnded = argument == "--";
    if (optionsEnded || !argument.starts_with("--")) continue;
    const std::size_t equals = argument.find('=');
    const Entry* entry = entryOf(argument.substr(0, equals));
    // Newer CLI11 releases take a name they could never define ("--\x01") for an operand.
    if (!entry) throw UsageError("unknown option " + shownText(argument.substr(0, equals)));
    if (equals == std::string::npos) continue;
    // CLI11 would read "--null=0" as a count; a flag takes no value at all.
    if (entry && entry->set) throw UsageError(entry->name + " takes no value");
    // CLI11 would take the next argument for an empty value.
    if (entry && equals + 1 == argument.size()) {
      arguments[i].pop_back();
      arguments.insert(arguments.begin() + static_cast<std::ptrdiff_t>(i), std::string());
    }
  }
  try {
    app_->parse(arguments);
  } catch (const CLI::ArgumentMismatch& e) {
    // The one mismatch an option of a single value can have: its value is missing.
    const std::string_view what = e.what();
    for (const Entry& entry : entries_) {
      for (const std::string& name : entry.names) {
        if (what.starts_with(name + ":")) throw UsageError(entry.name + " needs a value");
      }
    }
    throw UsageError(shownText(what));
  } catch (const CLI::ParseError& e) {
    throw UsageError(shownText(e.what()));
  }
  optionsEnded = false;
  for (const std::string& extra : app_->remaining()) {
    if (extra == "--" && !optionsEnded) {
      optionsEnded = true;
      continue;
    }
    throw UsageError("unknown option " + shownText(extra.substr(0, extra.find('='))));
  }
  for (const Entry& entry : entries_) {
    if (entry.option->count() > 1) throw UsageError(entry.name + " given twice");
    if (entry.option->count() == 1) given_.push_back(entry.name);
  }
  for (const Entry& entry : entries_) {
    if (entry.option->count() == 0) continue;
    if (entry.set)
      entry.set();
    else
      entry.take(entry.name, entry.values.front());
  }
  if (given("--null") && !given("--projects-from")) throw UsageError("--null goes only with --projects-from");
}

bool OptionTable::given(std::string_view name) const {
  return std::find(given_.begin(), given_.end(), name) != given_.end();
}

OptionTable& OptionTable::jobs(int& jobs, const std::string& names) {
  return value(names, [&jobs](const std::string&, const std::string& text) { jobs = jobsOf(text); });
}

OptionTable& OptionTable::shard(int& shard, int& shards) {
  return value("--shard", [&shard, &shards](const std::string&, const std::string& text) {
    const Shard share = shardOf(text);
    shard = share.shard;
    shards = share.shards;
  });
}

OptionTable& OptionTable::projectList(std::optional<std::string>& from, bool& nulSeparated) {
  value("--projects-from", [&from](const std::string& name, const std::string& text) {
    if (text.empty()) throw UsageError(name + " needs a file name, or - for standard input");
    from = text;
  });
  return flag("--null", [&nulSeparated] { nulSeparated = true; });
}

}  // namespace kelm::cli
