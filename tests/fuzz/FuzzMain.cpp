// The fuzz driver: runs targets on mutated inputs, checks their invariants
// and writes every input that breaks one (or stops the run) to a file that
// --replay runs again.
//
//   corvane_fuzz [--target NAME]... [--times N] [--seconds N] [--seed N] [--out FOLDER]
//   corvane_fuzz --target NAME --replay FILE
//   corvane_fuzz --list
//
// Each target runs its own number of inputs times N (default 1), a sequence
// that depends only on the seed, so that two runs try the same inputs (the
// digest of the inputs tried says so). --seconds is only a guard per target
// (default 240 s times N, far beyond a run on a busy machine): a target that
// reaches it stops short and fails the run. The exit status is 0 when nothing
// was found.
#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Fuzz.h"
#include "FuzzFiles.h"
#include "framework/App.h"
#include "support/Device.h"

namespace fuzz {

std::vector<Target>& Targets()
{
    static std::vector<Target> targets;
    return targets;
}

Target* FindTarget(const std::string& name)
{
    for (Target& target : Targets())
        if (name == target.name)
            return &target;
    return nullptr;
}

namespace {

Target& TargetNamed(const char* name)
{
    if (Target* target = FindTarget(name))
        return *target;
    Targets().push_back(Target{name, "", nullptr, 0});
    return Targets().back();
}

}  // namespace

Registrar::Registrar(const char* name, unsigned long long inputs, const char* what,
                     std::string (*check)(const Bytes&))
{
    Target& target = TargetNamed(name);
    target.what = what;
    target.check = check;
    target.inputs = inputs;
}

Registrar::Registrar(const char* name, std::vector<Bytes> (*list)(), bool words)
{
    Target& target = TargetNamed(name);
    (words ? target.words : target.seeds) = list;
}

std::string Describe(const std::wstring& text)
{
    std::string out;
    for (wchar_t ch : text) {
        if (ch >= 0x20 && ch < 0x7F) {
            out += static_cast<char>(ch);
        } else {
            char code[12];
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(ch));
            out += code;
        }
        if (out.size() > 300) {
            out += "...";
            break;
        }
    }
    return out;
}

Bytes Utf16(const std::wstring& text)
{
    Bytes bytes;
    for (wchar_t ch : text) {
        bytes += static_cast<char>(ch & 0xFF);
        bytes += static_cast<char>((ch >> 8) & 0xFF);
    }
    return bytes;
}

}  // namespace fuzz

namespace {

using fuzz::Bytes;

// What a crash handler needs to write out the input that stopped the run.
const Bytes* g_current = nullptr;
std::string g_crashFile;

// Paths come from the command line, in the ANSI code page.
bool WriteBytes(const std::string& path, const Bytes& bytes)
{
    return fuzz::WriteBytes(fw::WString::FromAnsi(path.c_str()), bytes);
}

void SaveCurrentInput(const char* why)
{
    if (g_current && !g_crashFile.empty() && WriteBytes(g_crashFile, *g_current))
        std::fprintf(stderr, "\n%s: input written to %s\n", why, g_crashFile.c_str());
    else
        std::fprintf(stderr, "\n%s\n", why);
    std::fflush(stderr);
}

// An assertion of the standard library (or any abort) ends the run here.
void OnAbort(int)
{
    SaveCurrentInput("aborted");
    _exit(3);
}

LONG WINAPI OnUnhandled(EXCEPTION_POINTERS* info)
{
    char why[64];
    std::snprintf(why, sizeof why, "exception 0x%08lX", info->ExceptionRecord->ExceptionCode);
    SaveCurrentInput(why);
    _exit(4);
}

// The programs' own message boxes would wait for a person: counted as answered.
int NoMessageBox(HWND, const wchar_t*, const wchar_t*, UINT type)
{
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

struct Options {
    std::vector<std::string> targets;
    unsigned long long times = 1;
    double seconds = 0;  // 0: 240 s times the times
    uint64_t seed = 1;
    std::string out = ".";
    std::string replay;
    bool list = false;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--target" && hasValue)
            options.targets.push_back(argv[++i]);
        else if (arg == "--times" && hasValue)
            options.times = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--seconds" && hasValue)
            options.seconds = std::atof(argv[++i]);
        else if (arg == "--seed" && hasValue)
            options.seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--out" && hasValue)
            options.out = argv[++i];
        else if (arg == "--replay" && hasValue)
            options.replay = argv[++i];
        else if (arg == "--list")
            options.list = true;
        else
            return false;
    }
    return true;
}

// Runs one input under the crash handlers; the finding or empty.
std::string RunOne(const fuzz::Target& target, const Bytes& input)
{
    g_current = &input;
    std::string finding;
    try {
        finding = target.check(input);
    } catch (const std::exception& e) {
        finding = std::string("exception: ") + e.what();
    } catch (...) {
        finding = "unknown exception";
    }
    g_current = nullptr;
    return finding;
}

int Replay(const fuzz::Target& target, const std::string& path)
{
    Bytes input;
    if (!testsupport::ReadBytes(fw::WString::FromAnsi(path.c_str()).str(), input)) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 2;
    }
    g_crashFile.clear();
    const std::string finding = RunOne(target, input);
    std::printf("%s %s: %s\n", target.name, path.c_str(), finding.empty() ? "no finding" : finding.c_str());
    return finding.empty() ? 0 : 1;
}

// A finding's kind: its first two words, so that one fault is reported once
// however many inputs show it.
std::string Kind(const std::string& finding)
{
    const size_t first = finding.find(' ');
    const size_t second = first == std::string::npos ? first : finding.find(' ', first + 1);
    return finding.substr(0, second);
}

int Fuzz(const fuzz::Target& target, const Options& options)
{
    std::vector<Bytes> seeds = target.seeds ? target.seeds() : std::vector<Bytes>{};
    if (seeds.empty())
        seeds.push_back(Bytes());
    const std::vector<Bytes> words = target.words ? target.words() : std::vector<Bytes>{};
    // The output folder with the folders above it.
    for (size_t at = options.out.find_first_of("\\/", 3); at != std::string::npos;
         at = options.out.find_first_of("\\/", at + 1))
        ::CreateDirectoryA(options.out.substr(0, at).c_str(), nullptr);
    ::CreateDirectoryA(options.out.c_str(), nullptr);
    const std::string stem = options.out + "\\" + target.name + "-" + std::to_string(options.seed);
    g_crashFile = stem + "-stopped.bin";

    fuzz::Random random(options.seed);
    const ULONGLONG start = ::GetTickCount64();
    const double seconds = options.seconds > 0 ? options.seconds : 240.0 * static_cast<double>(options.times);
    const ULONGLONG guard = static_cast<ULONGLONG>(seconds * 1000);
    const unsigned long long wanted = target.inputs * options.times;
    unsigned long long inputs = 0;
    uint64_t digest = 0xCBF29CE484222325ull;  // FNV-1a of the inputs tried, each after its length
    int findings = 0;
    std::vector<std::string> kinds;
    // The seeds as they are first, then mutations of them.
    for (size_t i = 0; inputs < wanted && ::GetTickCount64() - start < guard; ++i) {
        const Bytes input = i < seeds.size() ? seeds[i]
                                             : fuzz::Mutate(seeds[random.Below(seeds.size())], seeds, words, random);
        ++inputs;
        for (const char ch : std::to_string(input.size()) + ":" + input)
            digest = (digest ^ static_cast<uint8_t>(ch)) * 0x100000001B3ull;
        const std::string finding = RunOne(target, input);
        if (finding.empty())
            continue;
        ++findings;
        const std::string kind = Kind(finding);
        bool known = false;
        for (const std::string& k : kinds)
            known = known || k == kind;
        if (known)
            continue;
        kinds.push_back(kind);
        const std::string file = stem + "-" + std::to_string(inputs) + ".bin";
        WriteBytes(file, input);
        std::printf("  finding in %s: %s\n    input: %s\n", target.name, finding.c_str(), file.c_str());
        std::fflush(stdout);
    }
    std::printf("%-10s %8llu inputs (digest %016llx) in %6.1f s, %d findings (%zu kinds)\n", target.name, inputs,
                static_cast<unsigned long long>(digest), (::GetTickCount64() - start) / 1000.0, findings,
                kinds.size());
    if (inputs < wanted)
        std::printf("  %s stopped at the time guard of %.0f s, %llu inputs short\n", target.name, seconds,
                    wanted - inputs);
    std::fflush(stdout);
    return findings == 0 && inputs == wanted ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: corvane_fuzz [--target NAME]... [--times N] [--seconds N] [--seed N] [--out FOLDER]\n"
                     "       corvane_fuzz --target NAME --replay FILE\n"
                     "       corvane_fuzz --list\n");
        return 2;
    }
    if (options.list) {
        for (const fuzz::Target& target : fuzz::Targets())
            std::printf("%-10s %8llu inputs: %s\n", target.name, target.inputs, target.what);
        return 0;
    }
    std::signal(SIGABRT, OnAbort);
    fw::SetMessageBoxFunction(&NoMessageBox);
    ::SetUnhandledExceptionFilter(OnUnhandled);
    // No error boxes: a fault must end the run where a script can see it.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

    // Targets may change the working folder (the record's device): the output folder is taken whole now.
    char full[MAX_PATH] = {};
    if (::GetFullPathNameA(options.out.c_str(), MAX_PATH, full, nullptr) > 0)
        options.out = full;

    std::vector<const fuzz::Target*> chosen;
    for (const std::string& name : options.targets) {
        const fuzz::Target* target = fuzz::FindTarget(name);
        if (!target || !target->check) {
            std::fprintf(stderr, "no target %s (--list shows them)\n", name.c_str());
            return 2;
        }
        chosen.push_back(target);
    }
    if (chosen.empty())
        for (const fuzz::Target& target : fuzz::Targets())
            if (target.check)
                chosen.push_back(&target);

    if (!options.replay.empty())
        return chosen.size() == 1 ? Replay(*chosen.front(), options.replay) : 2;
    int status = 0;
    for (const fuzz::Target* target : chosen)
        status |= Fuzz(*target, options);
    return status;
}
