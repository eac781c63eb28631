// corvane-cvx: inspect, convert and check material files from the command line.

#include "CvxCommands.h"
#include "OutputBuffer.h"

#include <QCoreApplication>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <map>
#include <new>
#include <string>
#include <vector>

#include <unistd.h>

namespace {
const char kHelp[] =
    "Usage: corvane-cvx COMMAND [ARGS]\n"
    "\n"
    "Inspect, convert and check Corvane material files (.cvx).\n"
    "A FILE or INPUT of \"-\" means standard input; an OUTPUT of \"-\" standard output.\n"
    "\n"
    "Commands:\n"
    "  list FILE                 one line per material: ID, name, manufacturer, locked or\n"
    "                            unlocked, number of print sets (tab-separated)\n"
    "  decode FILE [--compact] [--readable]\n"
    "                            the materials of FILE as JSON: a pretty-printed array, or with\n"
    "                            --compact the JSON text the editor writes, one material per line;\n"
    "                            with --readable, the values by the names the editor shows\n"
    "                            (\"Contour Speed (mm/s)\") instead of the file's keys\n"
    "  encode INPUT -o OUTPUT    INPUT is a JSON array of material objects or JSON Lines (one\n"
    "                            object per line); writes the accepted materials as a material\n"
    "                            file; refused inputs are listed on standard error, an array\n"
    "                            that is not JSON by the line and column where it stops being\n"
    "                            so; OUTPUT is replaced only when INPUT was read and parsed\n"
    "                            whole and at least one material was accepted\n"
    "  check FILE [--advice]     reports every line that is not a material and why (once a\n"
    "                            line, with a count where it holds several values), every print\n"
    "                            set that is refused, and duplicate material IDs; with --advice,\n"
    "                            also each value unlikely to print well as a line starting with\n"
    "                            \"advice:\": material, print set, value, reason and a suggested\n"
    "                            value (advice does not change the exit status)\n"
    "  diff A B [--values]       materials only in A, only in B, and changed (matched by ID):\n"
    "                            changed basic fields and, per print-set key, sets added,\n"
    "                            removed and fields changed with old and new values;\n"
    "                            lines that are not materials on standard error, per file;\n"
    "                            exit status 0 when equal, 1 when different or when a line\n"
    "                            is not a material; with --values,\n"
    "                            each changed value by the name the editor shows for it\n"
    "                            (\"Contour Speed\"), per print set, old and new\n"
    "  compare A ID_A B ID_B     material ID_A of file A against material ID_B of file B (A and\n"
    "                            B may be one file): their names and IDs, then each differing\n"
    "                            value by the name the editor shows (\"Contour Speed: 40 -> 55\n"
    "                            mm/s\"), the material's own first, then per print set, then\n"
    "                            the print sets only in A or only in B; exit status 0 when\n"
    "                            the same, 1 when different, 2 when a file cannot be read or\n"
    "                            holds no material with the ID\n"
    "  --help                    this text\n"
    "\n"
    "Lines end at a line feed, a carriage return and line feed, or a lone carriage return;\n"
    "lines longer than 64 MB are refused unread. An input that is not a regular file (a\n"
    "pipe, a FIFO, a device) is read up to 512 MB and up to a line longer than 64 MB; a FIFO\n"
    "that no program writes to within 5 seconds is not read.\n"
    "\n"
    "Exit status: 0 clean, 1 something was refused or reported, 2 usage error (an unknown\n"
    "option among them) or I/O error (a file that cannot be read to its end is an error).\n";

int usage(const std::string &message)
{
    std::cerr << "corvane-cvx: " << message << " (see corvane-cvx --help)" << std::endl;
    return cvx::Failed;
}

// A material ID: a whole number in the range of the file's IDs, which may be negative.
bool parseId(const std::string &text, int32_t &id)
{
    errno = 0;
    char *end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])) || *end || errno ||
        value < INT32_MIN || value > INT32_MAX)
        return false;
    id = int32_t(value);
    return true;
}

// An argument that looks like an option and is none of the command's; "-" is a file, and a
// negative number an ID for the command that takes IDs.
const std::string *unknownOption(const std::vector<std::string> &args, const std::vector<std::string> &known)
{
    int32_t id;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg.size() < 2 || arg[0] != '-' || (args[0] == "compare" && parseId(arg, id)))
            continue;
        if (std::find(known.begin(), known.end(), arg) == known.end())
            return &arg;
        if (arg == "-o")
            ++i; // its OUTPUT may be "-" or look like an option
    }
    return nullptr;
}

int run(const std::vector<std::string> &args)
{
    if (args.empty())
        return usage("no command given");
    const std::string command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        if (args.size() > 1)
            return usage(command + " takes no argument");
        std::cout << kHelp;
        return cvx::Finish(cvx::Clean);
    }
    static const std::map<std::string, std::vector<std::string>> options = {
        {"list", {}},       {"check", {"--advice"}}, {"decode", {"--compact", "--readable"}},
        {"encode", {"-o"}}, {"diff", {"--values"}},  {"compare", {}}};
    const auto known = options.find(command);
    if (known == options.end())
        return usage("unknown command '" + command + "'");
    if (const std::string *option = unknownOption(args, known->second))
        return usage(command + ": unknown option '" + *option + "'");
    if (command == "list") {
        if (args.size() != 2)
            return usage(command + " takes one FILE");
        return cvx::List(args[1]);
    }
    if (command == "check") {
        const bool advice = std::count(args.begin(), args.end(), "--advice") > 0;
        std::vector<std::string> files;
        std::copy_if(args.begin() + 1, args.end(), std::back_inserter(files),
                     [](const std::string &arg) { return arg != "--advice"; });
        if (files.size() != 1)
            return usage(command + " takes one FILE");
        return cvx::Check(files[0], advice);
    }
    if (command == "decode") {
        bool compact = false;
        bool readable = false;
        std::string file;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--compact")
                compact = true;
            else if (args[i] == "--readable")
                readable = true;
            else if (file.empty())
                file = args[i];
            else
                return usage("decode takes one FILE");
        }
        if (file.empty())
            return usage("decode takes one FILE");
        return cvx::Decode(file, compact, readable);
    }
    if (command == "encode") {
        std::string input;
        std::string output;
        bool haveOutput = false;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "-o") {
                if (i + 1 >= args.size() || haveOutput)
                    return usage("-o needs one OUTPUT");
                output = args[++i];
                haveOutput = true;
            } else if (input.empty()) {
                input = args[i];
            } else {
                return usage("encode takes one INPUT");
            }
        }
        if (input.empty() || !haveOutput)
            return usage("encode needs INPUT and -o OUTPUT");
        return cvx::Encode(input, output);
    }
    if (command == "compare") {
        if (args.size() != 5)
            return usage("compare takes A ID_A B ID_B");
        int32_t idA = 0;
        int32_t idB = 0;
        for (const size_t i : {2u, 4u}) {
            if (!parseId(args[i], i == 2 ? idA : idB))
                return usage("compare: '" + args[i] + "' is not a material ID");
        }
        return cvx::Compare(args[1], idA, args[3], idB);
    }
    // diff, the last of the commands
    std::vector<std::string> files;
    bool values = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--values")
            values = true;
        else
            files.push_back(args[i]);
    }
    if (files.size() != 2)
        return usage("diff takes two FILEs");
    return cvx::Diff(files[0], files[1], values);
}
} // namespace

int main(int argc, char **argv)
{
    // Both streams are written in blocks, standard error in the order of its messages: a million
    // refused lines written one call at a time took seconds.
    OutputBuffer out(STDOUT_FILENO);
    OutputBuffer err(STDERR_FILENO);
    std::streambuf *const oldOut = std::cout.rdbuf(&out);
    std::streambuf *const oldErr = std::cerr.rdbuf(&err);
    std::cerr.unsetf(std::ios::unitbuf);
    std::cerr.tie(nullptr);

    QCoreApplication app(argc, argv); // locale codec and file names as the editor sees them
    int status;
    // Memory running out is an error like any other, not an abort.
    try {
        status = run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc &) {
        std::cerr << "corvane-cvx: not enough memory" << std::endl;
        status = cvx::Failed;
    }
    // The buffers end with main; the streams outlive it.
    std::cout.flush();
    std::cerr.flush();
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    return status;
}
