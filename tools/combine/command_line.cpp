#include "command_line.h"

#include <new>

#include "combine_package.h"
#include "display_text.h"
#include "firmware_package.h"
#include "ktx_release_version.h"
#include "package_info.h"

namespace {

constexpr const char* kUsage =
    "usage: ktxcombine TEMPLATE IMAGE --revision TAG --mask N\n"
    "                  (--sha256 HEX | --sum HEX | --unchecked-image)\n"
    "                  -o OUTPUT [--force]\n"
    "       ktxcombine --info FILE\n"
    "       ktxcombine --help | --version\n"
    "\n"
    "Combine: copies the template program TEMPLATE to OUTPUT with its firmware\n"
    "package filled in: revision TAG, version-check mask N, the byte sum of\n"
    "IMAGE and IMAGE itself, the maker's firmware image of exactly 131072 bytes.\n"
    "\n"
    "  --sha256 HEX       the SHA-256 of IMAGE that its maker published (64 hex\n"
    "                     digits); an image that differs is refused\n"
    "  --sum HEX          the 16-bit byte sum of IMAGE that its maker published\n"
    "                     (1 to 4 hex digits); with --sha256, both must match\n"
    "  --unchecked-image  combine IMAGE without a published check (one of the\n"
    "                     three is required); its SHA-256 and sum are printed\n"
    "  --revision TAG     the revision IMAGE carries (0 to 4 printable\n"
    "                     characters), e.g. P1.3\n"
    "  --mask N           which of TAG's characters the drive's revision must\n"
    "                     already share: bit 3 (0x08) the 1st ... bit 0 (0x01)\n"
    "                     the 4th, none beyond TAG's end (decimal or 0x-hex).\n"
    "                     For TAG P1.3: 0x0C lets any P1.x drive through, 0x0F\n"
    "                     only a drive already at P1.3 (a reinstall), 0 every\n"
    "                     drive\n"
    "  -o OUTPUT          the program to write (also --output OUTPUT); an\n"
    "                     existing OUTPUT is replaced only with --force\n"
    "  --force            replace an existing OUTPUT\n"
    "\n"
    "TEMPLATE and IMAGE are never replaced, not even with --force: combining\n"
    "in place is not possible. OUTPUT is written completely or not at all; an\n"
    "OUTPUT that is a symbolic link keeps pointing at the new file. All files\n"
    "must be regular files; TEMPLATE may have at most 67108864 bytes (64 MiB).\n"
    "An interrupted run leaves no temporary file.\n"
    "\n"
    "--info: shows the package of a combined program (header, the image's\n"
    "sums and SHA-256), or says that FILE is an uncombined template.\n"
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
    std::string sha256;
    bool hasSha256 = false;
    std::string sum;
    bool hasSum = false;
    bool uncheckedImage = false;
    bool force = false;
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
        if (arg == "--unchecked-image" || arg == "--force") {
            (arg == "--force" ? command.force : command.uncheckedImage) = true;
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
            {"--sha256", nullptr, &command.sha256, &command.hasSha256},
            {"--sum", nullptr, &command.sum, &command.hasSum},
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
        problem = shown + " is not a number (use decimal or 0x-hex, 0 to 0x0F)";
        return false;
    case NumberTextProblem::TooLarge:
        break;
    }
    problem = shown + " is above 0xFF";
    return false;
}

bool ParseSha256(const std::string& text, PublishedCheck& check, std::string& problem) {
    if (!ParseSha256Text(text.data(), text.size(), check.sha256)) {
        problem = "--sha256 \"" + DisplayText(text) + "\" is not a SHA-256 (64 hexadecimal digits)";
        return false;
    }
    check.kind = PublishedCheck::Kind::Sha256;
    return true;
}

bool ParseSum(const std::string& text, PublishedCheck& check, std::string& problem) {
    if (ParseSumText(text.data(), text.size(), check.byteSum) != NumberTextProblem::None) {
        problem = "--sum \"" + DisplayText(text) + "\" is not a byte sum (1 to 4 hexadecimal digits)";
        return false;
    }
    check.kind = PublishedCheck::Kind::ByteSum;
    return true;
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
        if (!command.positional.empty() || command.hasRevision || command.hasMask || command.hasOutput ||
            command.hasSha256 || command.hasSum || command.uncheckedImage || command.force) {
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
    // The image is checked where it enters, against what its maker
    // published; leaving it unchecked is a decision the user states.
    if (!command.hasSha256 && !command.hasSum && !command.uncheckedImage) {
        err += "ktxcombine: give the image's published check, --sha256 HEX or --sum HEX "
               "(or --unchecked-image to combine it unchecked) (see ktxcombine --help)\n";
        return kExitUsage;
    }
    if (command.uncheckedImage && (command.hasSha256 || command.hasSum)) {
        err += "ktxcombine: --unchecked-image and a published check (--sha256, --sum) exclude each other "
               "(see ktxcombine --help)\n";
        return kExitUsage;
    }

    CombineRequest request;
    request.templatePath = command.positional[0];
    request.imagePath = command.positional[1];
    request.revisionTag = command.revision;
    request.outputPath = command.output;
    request.replaceOutput = command.force;
    if (!ParseMask(command.mask, request.mask, problem) ||
        (command.hasSha256 && !ParseSha256(command.sha256, request.sha256, problem)) ||
        (command.hasSum && !ParseSum(command.sum, request.byteSum, problem))) {
        err += "ktxcombine: " + problem + '\n';
        return kExitRefused;
    }
    return Report(CombinePackage(request), out, err);
}

}  // namespace
