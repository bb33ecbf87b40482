#include "cli/CliRunner.h"
#include "cli/SecretReader.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    SecretReader secrets;
    CliRunner runner(secrets);
    return runner.run(arguments);
}
