#include "cli/parse_args.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

namespace zunkaro {
namespace {

constexpr std::string_view kHelp =
    "Usage: zunkaro-report [OPTION]... LOG...\n"
    "Print the ranking report of each forum log: its posters ranked by characters,\n"
    "by posts and by average characters per post. With LOG of -, read standard input.\n"
    "\n"
    "      --encoding=NAME  the logs' encoding: auto (the default: found from each\n"
    "                         log's bytes), shift-jis, utf-8, euc-jp or iso-2022-jp;\n"
    "                         also sjis, cp932, utf8, eucjp, jis\n"
    "      --format=FORMAT  text (the default), json (JSON Lines, one object per\n"
    "                         log), csv (RFC 4180, UTF-8) or html (one page)\n"
    "      --messages       one record per message found, instead of the ranking\n"
    "  -o, --output=FILE    write to FILE instead of standard output; FILE is\n"
    "                         replaced only once everything is written\n"
    "      --merge          one report over all the logs, as one forum\n"
    "  -j, --jobs=N         analyse the logs on N threads (default: one per\n"
    "                         processor)\n"
    "      --sjis           with --format=text: Shift-JIS with CR LF line ends,\n"
    "                         byte for byte the report file the Zunkaro window saves\n"
    "  -v, --verbose        tell on standard error what was found in each log\n"
    "  -h, --help           show this help and exit\n"
    "      --version        show the version and exit\n"
    "\n"
    "By default the report is UTF-8 text with LF line ends. With several logs each\n"
    "report is headed by a line \"==> LOG <==\".\n"
    "\n"
    "Exit status: 0 when every log gave its report; 1 when a log holds no message;\n"
    "2 when a log cannot be read or holds more than 65000 messages, when the\n"
    "output cannot be written, or when the command line is wrong.\n";

constexpr std::array<std::string_view, 4> kFormatNames{"text", "json", "csv", "html"};

// More threads than this would only cost memory.
constexpr unsigned kMostJobs = 1024;

constexpr std::string_view kAutomatic = "auto";

[[nodiscard]] std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// The long name of an option, for messages: "--format".
[[nodiscard]] std::string LongName(const CLI::Option& option) {
  const auto& names = option.get_lnames();
  return names.empty() ? "-" + option.get_snames().front() : "--" + names.front();
}

// What CLI11 says of a command line, in the words GNU tools use.
[[nodiscard]] std::string Explain(const CLI::ParseError& error, const CLI::App& app) {
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    // The only mismatch our options can have: a value missing at the end.
    for (const CLI::Option* option : app.get_options()) {
      if (option->get_items_expected_min() > 0 && option->count() == 0 &&
          std::string(error.what()).starts_with(option->get_name() + ":")) {
        return "option " + Quoted(LongName(*option)) + " requires an argument";
      }
    }
  }
  return error.what();
}

}  // namespace

std::string_view FormatName(OutputFormat format) noexcept {
  return kFormatNames[static_cast<std::size_t>(format)];
}

std::string_view HelpText() noexcept { return kHelp; }

ParsedArgs ParseArgs(std::span<const char* const> args) {
  CLI::App app("", "zunkaro-report");
  app.set_help_flag();
  // Unknown options are collected, so that the message can name them.
  app.allow_extras();

  Options options;
  bool help = false;
  bool version = false;
  std::string encoding;
  std::string format;
  std::string output;
  std::string jobs;
  app.add_flag("-h,--help", help);
  app.add_flag("--version", version);
  app.add_flag("--sjis", options.ShiftJis);
  app.add_flag("--messages", options.Messages);
  app.add_flag("--merge", options.Merge);
  app.add_flag("-v,--verbose", options.Verbose);
  // As GNU tools do, a value given twice is the last one.
  constexpr auto kLast = CLI::MultiOptionPolicy::TakeLast;
  app.add_option("--encoding", encoding)->multi_option_policy(kLast);
  app.add_option("--format", format)->multi_option_policy(kLast);
  CLI::Option* outputOption = app.add_option("-o,--output", output)->multi_option_policy(kLast);
  app.add_option("-j,--jobs", jobs)->multi_option_policy(kLast);
  app.add_option("LOG", options.Logs);

  // CLI11 wants the program's name first.
  std::vector<std::string> words{"zunkaro-report"};
  bool optionsEnded = false;
  for (const char* arg : args) {
    const std::string_view word = arg == nullptr ? "" : arg;
    optionsEnded = optionsEnded || word == "--";
    if (!optionsEnded && word.starts_with("--") && word.ends_with('=')) {
      // "--output=" gives an empty value; CLI11 alone would take the next word.
      words.emplace_back(word.substr(0, word.size() - 1));
      words.emplace_back();
    } else {
      words.emplace_back(word);
    }
  }
  std::vector<const char*> argv;
  for (const std::string& word : words) {
    argv.push_back(word.c_str());
  }
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& error) {
    return UsageError{Explain(error, app)};
  }
  if (help) return ShowHelp{};
  if (version) return ShowVersion{};

  for (const std::string& extra : app.remaining()) {
    // "--" itself is kept by CLI11; what follows it went to the logs.
    if (extra != "--") {
      return UsageError{"unknown option " + Quoted(extra)};
    }
  }
  if (app.count("--encoding") > 0 && encoding != kAutomatic) {
    options.InputEncoding = FindEncoding(encoding);
    if (!options.InputEncoding) {
      return UsageError{"unknown encoding " + Quoted(encoding) +
                        " (auto, shift-jis, utf-8, euc-jp or iso-2022-jp)"};
    }
  }
  if (app.count("--format") > 0) {
    const auto* found = std::ranges::find(kFormatNames, std::string_view(format));
    if (found == kFormatNames.end()) {
      return UsageError{"unknown format " + Quoted(format) + " (text, json, csv or html)"};
    }
    options.Format = static_cast<OutputFormat>(found - kFormatNames.begin());
  }
  if (outputOption->count() > 0) {
    if (output.empty()) {
      return UsageError{"the output file's name is empty"};
    }
    options.Output = output;
  }
  if (app.count("--jobs") > 0) {
    unsigned n = 0;
    const auto [end, problem] = std::from_chars(jobs.data(), jobs.data() + jobs.size(), n);
    if (problem != std::errc{} || end != jobs.data() + jobs.size() || n == 0 || n > kMostJobs) {
      return UsageError{"invalid number of jobs " + Quoted(jobs) + " (1 to " +
                        std::to_string(kMostJobs) + ")"};
    }
    options.Jobs = n;
  }
  if (options.ShiftJis && options.Format != OutputFormat::kText) {
    return UsageError{"--sjis goes with --format=text only"};
  }
  if (options.Messages && options.Format == OutputFormat::kHtml) {
    return UsageError{"--messages comes as text, json or csv, not as html"};
  }
  if (options.Logs.empty()) {
    return UsageError{"no log given"};
  }
  return options;
}

}  // namespace zunkaro
