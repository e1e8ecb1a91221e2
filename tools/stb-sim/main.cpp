// stb-sim: a simulated set-top box serving the link protocol on a pseudo-terminal.
#include "CharProtocol.h"
#include "FlashImage.h"
#include "PacketProtocol.h"
#include "PtyLine.h"
#include "StbContext.h"
#include "StbOptions.h"

#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <thread>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

bool PrepareFlash(const StbOptions &options, FlashImage &flash)
{
    std::string error;
    if (options.flashPath.empty()) {
        flash.CreateDefault();
        return true;
    }
    if (options.create && !QFileInfo::exists(QString::fromStdString(options.flashPath))) {
        flash.CreateDefault();
        flash.SetPath(options.flashPath);
        if (!flash.Save(error)) {
            std::fprintf(stderr, "stb-sim: %s\n", error.c_str());
            return false;
        }
        return true;
    }
    if (!flash.Load(options.flashPath, error)) {
        std::fprintf(stderr, "stb-sim: %s\n", error.c_str());
        return false;
    }
    if (!error.empty())
        std::fprintf(stderr, "stb-sim: warning: %s\n", error.c_str());
    return true;
}

// True while the link still leads to our device (nobody replaced it meanwhile).
bool LinkPointsTo(const std::string &link, const std::string &target)
{
    char buffer[4096];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
    return n > 0 && std::string(buffer, size_t(n)) == target;
}

} // namespace

int main(int argc, char **argv)
{
    StbOptions options;
    std::string error;
    if (!StbOptions::Parse(argc, argv, options, error)) {
        std::fprintf(stderr, "stb-sim: %s (stb-sim --help lists the options)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(StbOptions::HelpText().c_str(), stdout);
        return 0;
    }

    FlashImage flash;
    if (!PrepareFlash(options, flash))
        return 1;

    PtyLine line;
    if (!line.Open(error)) {
        std::fprintf(stderr, "stb-sim: %s\n", error.c_str());
        return 1;
    }
    line.SetLineRate(options.lineRate);
    line.SetStopFlag(&g_stop);
    line.WatchOutput(STDOUT_FILENO);

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // A closed terminal must not leave the --link behind either.
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    bool linked = false;
    if (!options.linkPath.empty()) {
        // An old link of an earlier run is replaced; a real file or device node never is.
        struct stat st {};
        if (::lstat(options.linkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            ::unlink(options.linkPath.c_str());
        linked = ::symlink(line.SlavePath().c_str(), options.linkPath.c_str()) == 0;
        if (!linked) {
            std::fprintf(stderr, "stb-sim: cannot create the link %s\n", options.linkPath.c_str());
            return 1;
        }
    }

    std::printf("DEVICE %s\n", line.SlavePath().c_str());
    std::fflush(stdout);

    StbContext context(options, line, flash);
    context.Log("protocol 0x%02X, flash %u bytes, %zu chunks", options.proto, flash.Size(), flash.Chunks().size());
    if (options.proto >= 0x30) {
        PacketProtocol protocol(context);
        protocol.Serve();
    } else {
        CharProtocol protocol(context);
        protocol.Serve();
    }
    if (context.ExitRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(200));   // let the PC read the last answer

    if (flash.Dirty())
        context.SaveFlash();
    if (linked && LinkPointsTo(options.linkPath, line.SlavePath()))
        ::unlink(options.linkPath.c_str());
    context.Log("stopped (%llu answers and %llu received units damaged)",
                static_cast<unsigned long long>(context.Faults().TxFaults()),
                static_cast<unsigned long long>(context.Faults().RxFaults()));
    return 0;
}
