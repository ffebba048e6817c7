// The relay's side of the bridge: the Windows-side process that hands calls to the telephony
// stand-in (bridge_main.cpp), started with pipes on its standard input and output. Nothing
// listens: the two pipes are the whole channel. Its answers arrive in the libre main loop.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

class BridgeProcess {
public:
    using LineHandler = std::function<void(std::string_view line)>;
    using EndHandler = std::function<void()>;

    BridgeProcess() = default;
    BridgeProcess(const BridgeProcess&) = delete;
    BridgeProcess& operator=(const BridgeProcess&) = delete;
    // Closes the bridge's input, which ends it; waits for it a moment, then kills it.
    ~BridgeProcess();

    // Starts command (program and arguments, found on PATH); each line it writes goes to
    // onLine, its end (its output closed) to onEnd. False with errno set when it cannot start.
    bool Start(const std::vector<std::string>& command, LineHandler onLine, EndHandler onEnd);
    // Writes one line; false when the bridge is gone.
    bool Send(const std::string& line);

private:
    static void OnReadable(int flags, void* arg);

    pid_t m_pid = -1;
    int m_input = -1;       // the bridge's standard input, our writing end
    int m_output = -1;      // its standard output, our reading end
    std::string m_pending;  // the start of a line not yet ended
    LineHandler m_onLine;
    EndHandler m_onEnd;
};
