#include "cli/SecretReader.h"

#include "cli/FdWriter.h"

#include "core/Wipe.h"

#include <QStringDecoder>

#include <array>
#include <cerrno>
#include <csignal>

#include <termios.h>
#include <unistd.h>

namespace {

constexpr qsizetype kChunk = 256;

// The terminal's settings before echo was switched off, for a signal that ends the process while
// a password is typed: without them the shell would be left without echo.
struct termios s_savedTerminal;
volatile sig_atomic_t s_terminalFd = -1;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void restoreTerminalAndRaise(int sig)
{
    if (s_terminalFd >= 0)
        ::tcsetattr(s_terminalFd, TCSANOW, &s_savedTerminal);
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

// Echo off for as long as it lives.
class EchoOff {
public:
    explicit EchoOff(int fd) : m_fd(fd)
    {
        if (::tcgetattr(fd, &s_savedTerminal) != 0)
            return;
        struct sigaction action {};
        action.sa_handler = restoreTerminalAndRaise;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &action, &m_previous[i]);
        s_terminalFd = fd;
        struct termios quiet = s_savedTerminal;
        // ECHONL still shows the Enter, so what follows starts on a line of its own.
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_lflag |= ECHONL;
        m_active = ::tcsetattr(fd, TCSAFLUSH, &quiet) == 0;
        if (!m_active)
            restore();
    }
    ~EchoOff()
    {
        if (m_active)
            restore();
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

    bool active() const { return m_active; }

private:
    void restore()
    {
        ::tcsetattr(m_fd, TCSAFLUSH, &s_savedTerminal);
        s_terminalFd = -1;
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &m_previous[i], nullptr);
    }

    int m_fd;
    bool m_active = false;
    struct sigaction m_previous[std::size(kSignals)] {};
};

} // namespace

SecretReader::SecretReader(int fd)
    : m_fd(fd), m_terminal(::isatty(fd) == 1)
{
    // One allocation for the usual case, so no stale copy of a secret is left behind by growing.
    m_buffer.reserve(4096);
}

SecretReader::~SecretReader()
{
    Wipe::bytes(m_buffer);
}

SecretReader::Status SecretReader::read(const QString& prompt, QString& secret)
{
    secret.clear();
    QByteArray line;
    const Status status = m_terminal ? readFromTerminal(prompt, line) : readLine(line);
    if (status != Status::Ok) {
        Wipe::bytes(line);
        return status;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    secret = utf8.decode(line);
    const bool bad = utf8.hasError();
    Wipe::bytes(line);
    if (bad) {
        Wipe::text(secret);
        return Status::NotUtf8;
    }
    return Status::Ok;
}

SecretReader::Status SecretReader::readFromTerminal(const QString& prompt, QByteArray& line)
{
    // Echo goes off before the prompt shows, so nothing typed in answer to it is ever echoed.
    const EchoOff echoOff(m_fd);
    if (!echoOff.active())
        return Status::ReadFailed;
    FdWriter::writeAll(STDERR_FILENO, prompt.toUtf8());
    return readLine(line);
}

SecretReader::Status SecretReader::readLine(QByteArray& line)
{
    line.clear();
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n', m_pos);
        if (end >= 0 || m_ended) {
            const qsizetype stop = end >= 0 ? end : m_buffer.size();
            if (end < 0 && stop == m_pos)
                return Status::Missing;
            qsizetype length = stop - m_pos;
            if (length > 0 && m_buffer.at(stop - 1) == '\r')
                --length;
            line = m_buffer.mid(m_pos, length);
            m_pos = end >= 0 ? end + 1 : stop;
            return Status::Ok;
        }
        std::array<char, kChunk> chunk;
        const ssize_t n = ::read(m_fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Status::ReadFailed;
        if (n == 0)
            m_ended = true;
        else
            m_buffer.append(chunk.data(), n);
        Wipe::memory(chunk.data(), chunk.size());
    }
}
