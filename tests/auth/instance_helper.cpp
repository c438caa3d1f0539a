// A later start of the application: hands its URLs to the running instance named
// by the first argument. Exit 0: handed over; 3: no instance answered.
#include "app/single_instance_guard.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return 2;
    const quill::SingleInstanceGuard guard(arguments.takeFirst());
    return guard.forwardToRunningInstance(quill::SingleInstanceGuard::schemeUrls(arguments)) ? 0 : 3;
}
