// Starts the bridge on two pipes, writes its requests, reads its answers in the main loop.
#include "platform/sip_line/bridge_process.h"

#include "platform/sip_line/libre.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

BridgeProcess::~BridgeProcess()
{
    if (m_output >= 0) {
        fd_close(m_output);
        close(m_output);
    }
    if (m_input >= 0)
        close(m_input);
    if (m_pid <= 0)
        return;
    // Its input has ended: it ends by itself, at once.
    for (int i = 0; i < 50; ++i) {
        if (waitpid(m_pid, nullptr, WNOHANG) != 0)
            return;
        usleep(20000);
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
}

bool BridgeProcess::Start(const std::vector<std::string>& command, LineHandler onLine,
                          EndHandler onEnd)
{
    int toBridge[2], fromBridge[2];
    if (command.empty() || pipe2(toBridge, O_CLOEXEC) != 0)
        return false;
    if (pipe2(fromBridge, O_CLOEXEC) != 0) {
        close(toBridge[0]);
        close(toBridge[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toBridge[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromBridge[1], STDOUT_FILENO);
    std::vector<char*> argv;
    argv.reserve(command.size() + 1);
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const int error = posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toBridge[0]);
    close(fromBridge[1]);
    m_input = toBridge[1];
    m_output = fromBridge[0];
    if (error != 0) {
        m_pid = -1;
        errno = error;
        return false;
    }
    m_onLine = std::move(onLine);
    m_onEnd = std::move(onEnd);
    return fd_listen(m_output, FD_READ, OnReadable, this) == 0;
}

bool BridgeProcess::Send(const std::string& line)
{
    const std::string text = line + "\n";
    std::size_t written = 0;
    while (m_input >= 0 && written < text.size()) {
        const ssize_t n = write(m_input, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += std::size_t(n);
    }
    return m_input >= 0;
}

void BridgeProcess::OnReadable(int, void* arg)
{
    BridgeProcess& bridge = *static_cast<BridgeProcess*>(arg);
    char buffer[4096];
    const ssize_t n = read(bridge.m_output, buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR)
        return;
    if (n <= 0) {
        fd_close(bridge.m_output);
        close(bridge.m_output);
        bridge.m_output = -1;
        bridge.m_onEnd();
        return;
    }
    bridge.m_pending.append(buffer, std::size_t(n));
    std::size_t start = 0;
    for (std::size_t end; (end = bridge.m_pending.find('\n', start)) != std::string::npos;
         start = end + 1)
        bridge.m_onLine(std::string_view(bridge.m_pending).substr(start, end - start));
    bridge.m_pending.erase(0, start);
}
