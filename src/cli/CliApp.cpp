#include "cli/CliApp.h"

#include "cli/CliErrors.h"
#include "cli/Commands.h"
#include "cli/Diff.h"
#include "cli/HistoryCommands.h"
#include "cli/Password.h"
#include "cli/Reports.h"
#include "cli/Retrieve.h"
#include "model/DefaultName.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <sstream>

namespace vexlorin::cli {

namespace {

constexpr const char* ProgramName = "vexlorin-cli";

const char* const MainFooter = R"(EXIT STATUS
  0  success
  1  usage error: unknown, missing or invalid arguments; no password source
  2  the router cannot be reached, or it refuses the connection or the logon
  3  any other failure: a file that cannot be read or written, a file that is
     not a statistics file, answers of the router that cannot be read

ENVIRONMENT
  VEXLORIN_PASSWORD  the router password for "retrieve"

Statistics files (.draydata) are the desktop program's own: each program loads what
the other saves. Run "vexlorin-cli COMMAND --help" for the options of a command.
)";

const char* const RetrieveFooter = R"(DESCRIPTION
  Logs on to the router's telnet console at HOST, runs the "vdsl" status
  commands and saves what they print as a statistics file, as the desktop
  program's "Retrieve data" does, with the same reader.

PASSWORD
  Never taken from the command line, where other users could read it. In this
  order: the first line of --password-file FILE; the environment variable
  VEXLORIN_PASSWORD (set but empty means an empty password); a prompt without
  echo when standard input is a terminal. Without any of them the command ends
  with exit status 1.

OUTPUT
  Without -o the file is named as the desktop program names a new set, from the
  local date and time and the router name, in the current folder:
  YYYYMMDD-hhmmss-ROUTERNAME.draydata. An existing file is replaced only once the
  new one has been written completely; after a failure nothing is written.
  The progress texts go to standard error; standard output stays empty.

TIMING
  Each console command waits up to 10 s for its answer, each showbins command up
  to 20 s; a command that does not answer in time leaves its table empty and the
  retrieval goes on. The logon fails after 10 s when the router name does not
  match the console prompt.

EXAMPLES
  VEXLORIN_PASSWORD=secret vexlorin-cli retrieve 192.168.1.1 --user admin
  vexlorin-cli retrieve vigor.lan --user admin --password-file ~/.vigor \
      --bins -o line.draydata
)";

const char* const ShowFooter = R"(OUTPUT (standard output), --format text (the default)
  Name: the set's name
  Profile: the VDSL profile (N/A, 8A ... 35B)
  File version: 1 or 2
  Group sizes (US/DS): tones per group of HLog, QLN and SNR, upstream/downstream
  Tones with bits loaded: US n, DS n
  then a blank line and the line summary read from the statistics text, when it
  holds one: line state, running mode, firmware, DSLAM vendor, annex, resets and
  retrains; a table of downstream and upstream values with units (rates, SNR
  margin, attenuation, error counters, bit loading); the bands. Then a blank line
  and the statistics text as the router printed it (control characters shown as
  U+FFFD).

--format json
  {"name": ..., "profile": ..., "summary": {"state": ..., "mode": ...,
   "firmware": ..., "vendor": ..., "chipset": ..., "annex": ..., "vectoring": ...,
   "ds": {"actual_rate_bps": ..., "attainable_rate_bps": ..., "snr_margin_db": ...,
          "attenuation_db": ..., "signal_attenuation_db": ..., "actual_psd_db": ...,
          "path_mode": ..., "interleave_depth": ..., "inp_symbols": ...,
          "interleave_delay_ms": ..., "crc": ..., "fec": ..., "es": ..., "ses": ...,
          "uas": ..., "loss": ..., "fecs": ..., "hec": ...},
   "us": {...the same keys}, "resets": ..., "retrains": ...,
   "bands": [{"direction": "ds", "name": "DS1", "first_tone": ..., "last_tone": ...,
              "latn_db": ..., "satn_db": ..., "snrm_db": ...}],
   "bits": {"ds": {"loaded_tones": ..., "total_bits": ..., "rate_bps": ...},
            "us": {...}}}}
  Downstream (ds) is the near end, upstream (us) the far end. A value the text
  does not hold is left out, never written as 0. Rates in bit/s; the bits' rate
  is what the loaded bits carry at 4000 symbols/s (8000 for 30a), without the
  framing overhead the reported rate includes.

EXAMPLES
  vexlorin-cli show 20231208-142501-DrayTek.draydata | less
  vexlorin-cli show line.draydata --format json | jq .summary.ds.snr_margin_db
)";

const char* const ExportFooter = R"(DESCRIPTION
  Writes every table of the set: the HLog, QLN and SNR values per group and the
  bins table (SNR, gain, bit loading) per tone, upstream and downstream.

CSV
  RFC 4180, CR LF line ends, one header row, every table in one sheet:
    table,group,first_tone_us,first_tone_ds,us,ds,
    tone,snr_us,gain_db_us,bits_us,snr_ds,gain_db_ds,bits_ds
  table is HLog, QLN, SNR or Bins. HLog, QLN and SNR have 512 rows each and fill
  group to ds: the group, the first tone of the group per direction (group times
  the group size), the upstream and downstream values as the router printed them
  (HLog and SNR in dB, QLN in dBm/Hz); empty for a group without a value. Bins has
  8192 rows, one per tone, and fills tone to bits_ds: the SNR, the gain in dB
  (one decimal) and the bits loaded on the tone, upstream then downstream.

JSON
  One object: name, profile, version, stats (the statistics text, one string per
  line), group_sizes ({"hlog": {"us": 8, "ds": 8}, "qln": ..., "snr": ...}), and
  the arrays hlog, qln and snr (objects with the CSV's group columns; null for a
  group without a value), bins (objects with the CSV's tone columns) and summary
  (the line summary as "vexlorin-cli show --format json" writes it).

EXAMPLES
  vexlorin-cli export line.draydata --format csv -o line.csv
  vexlorin-cli export line.draydata --format json | jq '.snr[] | select(.ds != null)'
)";

const char* const ImportFooter = R"(DESCRIPTION
  Builds a statistics set from text captures of the router's console answers,
  as the desktop program's "Load data from file..." does, and saves it.

CAPTURES
  Text files holding the router's console answers, as copied from a telnet
  session (UTF-8, UTF-16 with byte-order mark, or Windows-1252):
    --status  the answers to "vdsl status" (and "vdsl status more",
              "bandinfo", ...): the set's statistics text, kept as it is,
              from which the line summary is read
    --hlog    the answer to "vdsl status hlog"
    --qln     the answer to "vdsl status qln"
    --snr     the answer to "vdsl status snr"
    --bins    the answer to "vdsl showbins" followed by the answer to
              "vdsl showbins up"; the upstream part begins at "UPSTREAM :".
              A capture with "DOWNSTREAM :" but no "UPSTREAM :" fills the
              downstream table alone; one with neither is refused.
  Each capture is optional. The set is named "Loaded from file".

PROFILE
  Taken from the status capture's "Running Mode", as a retrieval does; --profile
  gives it where the capture has none (a capture of "vdsl status more" alone, or
  no status capture). One of the two is required.

EXAMPLES
  vexlorin-cli import --profile 17a --hlog line.hlog --qln line.qln \
      --snr line.snr --bins line.bins -o imported.draydata
  vexlorin-cli import --status status.txt -o line.draydata
)";

// Arguments that name something must not be empty: the model reads an empty file name
// as "no file" and would report success for nothing.
const CLI::Validator NonEmpty(
    [](std::string& AValue) { return AValue.empty() ? std::string("must not be empty") : ""; }, "",
    "NONEMPTY");

const CLI::Validator ProfileName(
    [](std::string& AValue) {
        return ParseProfileName(AValue)
                   ? std::string()
                   : "unknown profile; use one of N/A, 8a, 8b, 8c, 8d, 12a, 12b, 17a, 30a, 35b";
    },
    "", "PROFILE");

struct TOptions {
    // retrieve
    std::string Host;
    int Port = 23;
    std::string User;
    std::string PasswordFile;
    std::string Password; // only to refuse it
    std::string RouterName = "DrayTek";
    bool Bins = false;
    bool Quiet = false;
    // show, export, diff (A)
    std::string File;
    // diff (B)
    std::string Other;
    std::string Format;
    // import
    std::string Profile;
    TImportFiles Captures;
    // retrieve, export, import
    std::string Output;
};

void RunRetrieve(const TOptions& AOptions, std::ostream& AErr) {
    TRetrieveRequest request;
    request.Host = AOptions.Host;
    request.Port = static_cast<uint16_t>(AOptions.Port);
    request.User = AOptions.User;
    request.RouterName = AOptions.RouterName;
    request.Bins = AOptions.Bins;
    request.SetName = GetDefaultFileName(AOptions.RouterName);

    const std::string output = AOptions.Output.empty() ? request.SetName : AOptions.Output;
    if (AOptions.Output.empty() && request.SetName.find('/') != std::string::npos)
        throw ECliError(ecUsage,
                        "The router name \"" + AOptions.RouterName +
                            "\" holds a \"/\" and cannot be part of a file name",
                        "Name the file with -o FILE.");
    // A retrieval takes a while; find out before it whether its result can be kept.
    const std::filesystem::path folder = std::filesystem::path(output).parent_path();
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec))
        throw ECliError(ecFailure, "The folder \"" + folder.string() + "\" does not exist",
                        "Create it first, or choose another file with -o.");

    request.Password = ObtainPassword(AOptions.PasswordFile,
                                      "Password for " + AOptions.User + "@" + AOptions.Host + ": ");
    const std::unique_ptr<TDrayData> data = RetrieveSet(request, AOptions.Quiet ? nullptr : &AErr);
    SaveStatisticsFile(*data, output);
    if (!AOptions.Quiet)
        AErr << "Saved \"" << output << "\"" << std::endl;
}

void RunShow(const TOptions& AOptions, std::ostream& AOut) {
    const std::unique_ptr<TDrayData> data = LoadStatisticsFile(AOptions.File);
    std::ostringstream text;
    if (AOptions.Format == "json")
        WriteShowJson(*data, text);
    else
        WriteShow(*data, text);
    WriteOutput(text.str(), "", AOut);
}

void RunExport(const TOptions& AOptions, std::ostream& AOut) {
    const std::unique_ptr<TDrayData> data = LoadStatisticsFile(AOptions.File);
    std::ostringstream text;
    if (AOptions.Format == "json")
        WriteJson(*data, text);
    else
        WriteCsv(*data, text);
    WriteOutput(text.str(), AOptions.Output, AOut);
}

void RunDiff(const TOptions& AOptions, std::ostream& AOut) {
    const std::unique_ptr<TDrayData> reference = LoadStatisticsFile(AOptions.File);
    const std::unique_ptr<TDrayData> selected = LoadStatisticsFile(AOptions.Other);
    std::ostringstream text;
    if (AOptions.Format == "json")
        WriteDiffJson(*reference, *selected, text);
    else if (AOptions.Format == "csv")
        WriteDiffCsv(*reference, *selected, text);
    else
        WriteDiffText(*reference, *selected, text);
    WriteOutput(text.str(), AOptions.Output, AOut);
}

void RunImport(const TOptions& AOptions, std::ostream& AErr) {
    const std::optional<TVDSLProfile> profile =
        AOptions.Profile.empty() ? std::nullopt : ParseProfileName(AOptions.Profile);
    const std::unique_ptr<TDrayData> data = ImportCaptures(profile, AOptions.Captures, AErr);
    SaveStatisticsFile(*data, AOptions.Output);
}

} // namespace

int RunCli(int AArgc, const char* const* AArgv, std::ostream& AOut, std::ostream& AErr) {
    TOptions opt;
    CLI::App app("Reads the line statistics of a DrayTek Vigor VDSL router from its telnet "
                 "console, and shows, exports and builds statistics files (.draydata) without "
                 "a window.",
                 ProgramName);
    app.footer(MainFooter);
    app.require_subcommand(0, 1);
    app.set_version_flag("--version", std::string(ProgramName) + " " VEXLORIN_VERSION);

    CLI::App* retrieve = app.add_subcommand(
        "retrieve", "Read the line statistics from the router and save them as a statistics file");
    retrieve->footer(RetrieveFooter);
    retrieve->add_option("HOST", opt.Host, "Router address: host name or IP address")
        ->type_name("")
        ->required()
        ->check(NonEmpty);
    retrieve->add_option("--port", opt.Port, "Telnet port of the router's console (1 to 65535)")
        ->type_name("PORT")
        ->check(CLI::Range(1, 65535).description(""))
        ->capture_default_str();
    retrieve->add_option("-u,--user", opt.User, "Logon user name")->required()->check(NonEmpty);
    retrieve
        ->add_option("--password-file", opt.PasswordFile,
                     "Read the password from the first line of FILE")
        ->type_name("FILE")
        ->check(NonEmpty);
    // Hidden: only there to explain why it is refused.
    CLI::Option* password =
        retrieve->add_option("--password", opt.Password)->group("")->expected(0, 1);
    retrieve
        ->add_option("--router-name", opt.RouterName,
                     "Router name as the console prompt shows it (\"DrayTek> \" -> DrayTek)")
        ->capture_default_str()
        ->check(NonEmpty);
    retrieve->add_flag("--bins", opt.Bins,
                       "Also read the per-tone tables (\"vdsl showbins\"; slower)");
    retrieve
        ->add_option("-o,--output", opt.Output,
                     "Statistics file to write (default: YYYYMMDD-hhmmss-ROUTERNAME.draydata)")
        ->type_name("FILE")
        ->check(NonEmpty);
    retrieve->add_flag("-q,--quiet", opt.Quiet, "No progress texts on standard error");

    CLI::App* show = app.add_subcommand(
        "show", "Print the summary, the line summary and the statistics text of a statistics file");
    show->footer(ShowFooter);
    show->add_option("FILE", opt.File, "Statistics file (.draydata)")
        ->type_name("")
        ->required()
        ->check(NonEmpty);
    show->add_option("-f,--format", opt.Format, "Output format: text or json")
        ->type_name("FORMAT")
        ->default_str("text")
        ->transform(CLI::IsMember({"text", "json"}, CLI::ignore_case));

    CLI::App* exportCmd =
        app.add_subcommand("export", "Write every table of a statistics file as CSV or JSON");
    exportCmd->footer(ExportFooter);
    exportCmd->add_option("FILE", opt.File, "Statistics file (.draydata)")
        ->type_name("")
        ->required()
        ->check(NonEmpty);
    exportCmd->add_option("-f,--format", opt.Format, "Output format: csv or json")
        ->type_name("FORMAT")
        ->required()
        ->transform(CLI::IsMember({"csv", "json"}, CLI::ignore_case));
    exportCmd->add_option("-o,--output", opt.Output, "File to write (default: standard output)")
        ->type_name("OUT")
        ->check(NonEmpty);

    CLI::App* diff = app.add_subcommand(
        "diff", "Compare two statistics files: what changed from A to B, as B minus A");
    diff->footer(DiffFooter);
    diff->add_option("A", opt.File, "Reference statistics file (.draydata), e.g. the earlier one")
        ->type_name("")
        ->required()
        ->check(NonEmpty);
    diff->add_option("B", opt.Other, "Statistics file compared with it")
        ->type_name("")
        ->required()
        ->check(NonEmpty);
    diff->add_option("-f,--format", opt.Format, "Output format: text, csv or json")
        ->type_name("FORMAT")
        ->default_str("text")
        ->transform(CLI::IsMember({"text", "csv", "json"}, CLI::ignore_case));
    diff->add_option("-o,--output", opt.Output, "File to write (default: standard output)")
        ->type_name("OUT")
        ->check(NonEmpty);

    CLI::App* import = app.add_subcommand(
        "import", "Build a statistics file from text captures of the router's answers");
    import->footer(ImportFooter);
    import
        ->add_option("-p,--profile", opt.Profile,
                     "VDSL profile of the line: N/A, 8a, 8b, 8c, 8d, 12a, 12b, 17a, 30a or 35b "
                     "(required unless the status capture names it)")
        ->type_name("PROFILE")
        ->check(ProfileName);
    import
        ->add_option("--status", opt.Captures.Status,
                     "Capture of \"vdsl status\" (and the other status answers)")
        ->type_name("FILE")
        ->check(NonEmpty);
    import->add_option("--hlog", opt.Captures.HLog, "Capture of \"vdsl status hlog\"")
        ->type_name("FILE")
        ->check(NonEmpty);
    import->add_option("--qln", opt.Captures.QLN, "Capture of \"vdsl status qln\"")
        ->type_name("FILE")
        ->check(NonEmpty);
    import->add_option("--snr", opt.Captures.SNR, "Capture of \"vdsl status snr\"")
        ->type_name("FILE")
        ->check(NonEmpty);
    import
        ->add_option("--bins", opt.Captures.Bins,
                     "Capture of \"vdsl showbins\" and \"vdsl showbins up\"")
        ->type_name("FILE")
        ->check(NonEmpty);
    import->add_option("-o,--output", opt.Output, "Statistics file to write")
        ->type_name("FILE")
        ->required()
        ->check(NonEmpty);

    THistoryCommands history(app);

    try {
        app.parse(AArgc, AArgv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, AOut, AErr);
        return code == 0 ? ecOk : ecUsage;
    }
    if (app.get_subcommands().empty()) {
        AErr << "A command is required: retrieve, show, export, diff, import, watch or history\n"
                "Run with --help for more information.\n";
        return ecUsage;
    }
    if (password->count() > 0 || history.PasswordGiven()) {
        AErr << ProgramName
             << ": --password: the password is not taken from the command line, "
                "where other users can read it\n"
             << "Set VEXLORIN_PASSWORD, use --password-file FILE, or run on a terminal to be "
                "asked.\n";
        return ecUsage;
    }

    try {
        if (retrieve->parsed())
            RunRetrieve(opt, AErr);
        else if (show->parsed())
            RunShow(opt, AOut);
        else if (exportCmd->parsed())
            RunExport(opt, AOut);
        else if (import->parsed())
            RunImport(opt, AErr);
        else if (diff->parsed())
            RunDiff(opt, AOut);
        else if (history.Parsed())
            history.Run(AOut, AErr);
        return ecOk;
    } catch (const ECliError& e) {
        AErr << ProgramName << ": " << e.what() << '\n';
        if (!e.Hint().empty())
            AErr << e.Hint() << '\n';
        AErr.flush();
        return e.Code();
    } catch (const std::exception& e) {
        AErr << ProgramName << ": " << e.what() << std::endl;
        return ecFailure;
    }
}

} // namespace vexlorin::cli
