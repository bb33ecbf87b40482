#include "cli/CliRunner.h"
#include "cli/SecretReader.h"

#include "core/ProcessProtection.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    // Before the master password is read: no core file, no reading of this process's memory.
    ProcessProtection::protectProcess();
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    SecretReader secrets;
    CliRunner runner(secrets);
    return runner.run(arguments);
}
