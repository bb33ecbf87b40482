#pragma once

// The fixture of the command-line tests: stores copied from the fixtures into a folder of their own,
// and the tool run as a process or in this process.

#include "support/StoreFiles.h"
#include "support/TestSupport.h"

#include "core/Cp1252.h"
#include "cli/CliRunner.h"
#include "cli/SecretReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace clitest {

using testsupport::fixturePath;
using testsupport::readAll;
using testsupport::writeAll;

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline QByteArray cp(const char* utf8)
{
    return Cp1252::encode(QString::fromUtf8(utf8));
}

inline QByteArray errorLine(const QString& message)
{
    return (QStringLiteral("keywarden-cli: ") + message + QLatin1Char('\n')).toUtf8();
}

inline QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

inline bool isReadOnly(const QString& path)
{
    const auto p = QFile::permissions(path);
    return !(p & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

// Every run gets a runtime and temporary folder of its own, and the stores a folder of their own with
// the lock beside them, so neither a running program nor another test can get in its way.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_stores.isValid());
        ASSERT_TRUE(m_runtime.isValid());
        for (const char* name : {"anna.dat", "empty.dat", "joerg.dat"})
            ASSERT_TRUE(QFile::copy(fixturePath(QString::fromLatin1(name)), store(QString::fromLatin1(name))));
    }

    QString store(const QString& name) const { return m_stores.filePath(name); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("TMPDIR"), m_runtime.path());
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        return env;
    }

    CliRun run(const QStringList& arguments, const QByteArray& input = {}) const
    {
        return runProgram(QStringLiteral(KEYWARDEN_CLI_BINARY), environment(), arguments, input);
    }

    static CliRun runProgram(const QString& program, const QProcessEnvironment& environment,
                             const QStringList& arguments, const QByteArray& input = {})
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        CliRun result;
        if (!process.waitForStarted(10000))
            return result;
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    // The tool's runner in this process, with the same private lock folder, standard input fed from
    // `input` and standard error caught: a test can then reach the program's seams.
    CliRun runHere(const QStringList& arguments, const QByteArray& input) const
    {
        CliRun result;
        int in[2];
        if (::pipe(in) != 0)
            return result;
        // The inputs are a few bytes: they fit into the pipe before anyone reads.
        const bool written = ::write(in[1], input.constData(), static_cast<size_t>(input.size())) == input.size();
        ::close(in[1]);
        QTemporaryFile errors;
        if (!written || !errors.open()) {
            ::close(in[0]);
            return result;
        }
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        std::fflush(stderr);
        const int savedErr = ::dup(STDERR_FILENO);
        ::dup2(errors.handle(), STDERR_FILENO);
        {
            SecretReader secrets(in[0]);
            CliRunner runner(secrets);
            result.exitCode = runner.run(arguments);
        }
        std::fflush(stderr);
        ::dup2(savedErr, STDERR_FILENO);
        ::close(savedErr);
        ::close(in[0]);
        if (savedRuntime.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", savedRuntime);
        errors.seek(0);
        result.err = errors.readAll();
        return result;
    }

    // A new user's store as the login window leaves it: one empty line, not enciphered.
    QString placeholder(const QString& name)
    {
        const QString path = store(name);
        writeAll(path, "\r\n");
        return path;
    }

    QTemporaryDir m_stores;
    QTemporaryDir m_runtime;
};

} // namespace clitest
