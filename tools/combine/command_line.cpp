#include "command_line.h"

#include <new>

#include "combine_package.h"
#include "display_text.h"
#include "firmware_package.h"
#include "ktx_release_version.h"
#include "package_info.h"

namespace {

constexpr const char* kUsage =
    "usage: ktxcombine TEMPLATE IMAGE --revision TAG --mask N -o OUTPUT\n"
    "       ktxcombine --info FILE\n"
    "       ktxcombine --help\n"
    "       ktxcombine --version\n"
    "\n"
    "Combine: copies the template program TEMPLATE to OUTPUT with its firmware\n"
    "package area filled in: revision TAG (0 to 4 printable characters), the\n"
    "byte sum of IMAGE, version-check mask N (0..255, decimal or 0x-hex) and\n"
    "IMAGE itself, which must be exactly 131072 bytes. TEMPLATE is never\n"
    "changed (unless it is also OUTPUT); OUTPUT is written completely or not\n"
    "at all; OUTPUT must not be IMAGE, and an OUTPUT that is a symbolic link\n"
    "keeps pointing at the new content. TEMPLATE, IMAGE and OUTPUT must be\n"
    "regular files (no FIFO, device or directory); TEMPLATE may have at most\n"
    "67108864 bytes (64 MiB). An interrupted run leaves no temporary file.\n"
    "\n"
    "--info: shows the package header of a combined program, or says that\n"
    "FILE is an uncombined template.\n"
    "\n"
    "Exit status: 0 success, 1 refused, 2 malformed command line.\n";

static_assert(kTemplateSizeLimit == 67108864u, "the usage text states the template limit");

struct ParsedCommand {
    bool help = false;
    bool version = false;
    std::string infoPath;
    bool hasInfo = false;
    std::vector<std::string> positional;
    std::string revision;
    bool hasRevision = false;
    std::string mask;
    bool hasMask = false;
    std::string output;
    bool hasOutput = false;
};

// Fills `command` from `args`; on a malformed command line returns false
// with `problem` set.
bool ParseArguments(const std::vector<std::string>& args, ParsedCommand& command, std::string& problem) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            command.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            command.help = true;
            continue;
        }
        if (arg == "--version") {
            command.version = true;
            continue;
        }
        struct ValueOption {
            const char* name;
            const char* alias;
            std::string* value;
            bool* seen;
        };
        const ValueOption options[] = {
            {"--info", nullptr, &command.infoPath, &command.hasInfo},
            {"--revision", nullptr, &command.revision, &command.hasRevision},
            {"--mask", nullptr, &command.mask, &command.hasMask},
            {"--output", "-o", &command.output, &command.hasOutput},
        };
        const ValueOption* match = nullptr;
        for (const ValueOption& option : options) {
            if (arg == option.name || (option.alias != nullptr && arg == option.alias)) match = &option;
        }
        if (match == nullptr) {
            problem = "unknown option \"" + DisplayText(arg) + "\"";
            return false;
        }
        if (*match->seen) {
            problem = arg + " given more than once";
            return false;
        }
        if (i + 1 >= args.size()) {
            problem = arg + " needs a value";
            return false;
        }
        *match->seen = true;
        *match->value = args[++i];
    }
    return true;
}

int RunCombineCommand(const std::vector<std::string>& args, std::string& out, std::string& err);

int Report(const ToolOutcome& outcome, std::string& out, std::string& err) {
    if (!outcome.ok) {
        err += outcome.error + '\n';
        return kExitRefused;
    }
    out += outcome.output;
    return kExitSuccess;
}

}  // namespace

bool ParseMask(const std::string& text, unsigned& mask, std::string& problem) {
    // The text goes into a one-line message: control characters are shown escaped.
    const std::string shown = "mask \"" + DisplayText(text) + "\"";
    unsigned value = 0;
    switch (ParseMaskText(text.data(), text.size(), value)) {
    case NumberTextProblem::None:
        mask = value;
        return true;
    case NumberTextProblem::NotANumber:
        problem = shown + " is not a number (use decimal or 0x-hex, 0 to 0xFF)";
        return false;
    case NumberTextProblem::TooLarge:
        break;
    }
    problem = shown + " is above 0xFF";
    return false;
}

int RunCombineTool(const std::vector<std::string>& args, std::string& out, std::string& err) {
    // Every buffer the tool takes is bounded, but the system may still have
    // less memory to give: that is a refusal with a message, not an abort.
    // (The Windows program is built without exceptions: there its operator
    // new ends the run with a message, src/app/win32/cxx_runtime_support.cpp.)
#if defined(__cpp_exceptions)
    try {
        return RunCombineCommand(args, out, err);
    } catch (const std::bad_alloc&) {
        err += "ktxcombine: out of memory\n";
        return kExitRefused;
    }
#else
    return RunCombineCommand(args, out, err);
#endif
}

namespace {

int RunCombineCommand(const std::vector<std::string>& args, std::string& out, std::string& err) {
    ParsedCommand command;
    std::string problem;
    if (!ParseArguments(args, command, problem)) {
        err += "ktxcombine: " + problem + " (see ktxcombine --help)\n";
        return kExitUsage;
    }
    if (command.help) {
        out += kUsage;
        return kExitSuccess;
    }
    if (command.version) {
        out += "ktxcombine " KTX_RELEASE_VERSION "\n";
        return kExitSuccess;
    }

    if (command.hasInfo) {
        if (!command.positional.empty() || command.hasRevision || command.hasMask || command.hasOutput) {
            err += "ktxcombine: --info takes one FILE and no other arguments (see ktxcombine --help)\n";
            return kExitUsage;
        }
        return Report(DescribePackageFile(command.infoPath), out, err);
    }

    if (command.positional.size() != 2) {
        err += "ktxcombine: expected TEMPLATE and IMAGE, got " + std::to_string(command.positional.size()) +
               " file name(s) (see ktxcombine --help)\n";
        return kExitUsage;
    }
    const char* missing = !command.hasRevision ? "--revision TAG"
                          : !command.hasMask   ? "--mask N"
                          : !command.hasOutput ? "-o OUTPUT"
                                               : nullptr;
    if (missing != nullptr) {
        err += std::string("ktxcombine: ") + missing + " is required (see ktxcombine --help)\n";
        return kExitUsage;
    }

    CombineRequest request;
    request.templatePath = command.positional[0];
    request.imagePath = command.positional[1];
    request.revisionTag = command.revision;
    request.outputPath = command.output;
    if (!ParseMask(command.mask, request.mask, problem)) {
        err += "ktxcombine: " + problem + '\n';
        return kExitRefused;
    }
    return Report(CombinePackage(request), out, err);
}

}  // namespace
