// The socket session waits in Qt's event loop: the targets that drive it need an application
// object for the whole run.
#include <QCoreApplication>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}
