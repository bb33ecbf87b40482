#pragma once

#include <QByteArray>
#include <QString>

// Reads the secrets of one run, one line each, in order: from the terminal without echo when
// standard input is one, else line by line from standard input (LF or CR LF, the end removed).
class SecretReader {
public:
    enum class Status {
        Ok,
        Missing,     // input ended before the line began
        NotUtf8,     // the line is not valid UTF-8
        ReadFailed,  // the input could not be read or the terminal could not be set up
    };

    explicit SecretReader(int fd = 0);
    ~SecretReader();  // wipes what was read
    SecretReader(const SecretReader&) = delete;
    SecretReader& operator=(const SecretReader&) = delete;

    bool isTerminal() const { return m_terminal; }

    // `prompt` goes to standard error, and only when reading from a terminal.
    Status read(const QString& prompt, QString& secret);

private:
    Status readLine(QByteArray& line);
    Status readFromTerminal(const QString& prompt, QByteArray& line);

    int m_fd;
    bool m_terminal;
    bool m_ended = false;
    QByteArray m_buffer;  // bytes read but not yet handed out, from m_pos on
    qsizetype m_pos = 0;
};
