// Usage: app_lock_helper FOLDER [crash]
// Exit code 0: the lock was free and is taken; 1: another process holds it;
// 2: no lock can be made there. With "crash" the process ends with code 3 while it
// holds the lock, as a crashed copy of the program would.
#include <cstdlib>

#include <QCoreApplication>

#include "platform/SingleInstance.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 64;
    tolvarine::SingleInstance instance(QStringLiteral("Tolvarine"), QString::fromLocal8Bit(argv[1]));
    const auto result = instance.tryAcquire();
    if (argc > 2 && qstrcmp(argv[2], "crash") == 0 && result == tolvarine::SingleInstance::Result::Acquired)
        std::_Exit(3);
    switch (result) {
    case tolvarine::SingleInstance::Result::Acquired:
        return 0;
    case tolvarine::SingleInstance::Result::HeldByAnother:
        return 1;
    case tolvarine::SingleInstance::Result::Unavailable:
        return 2;
    }
    return 65;
}
