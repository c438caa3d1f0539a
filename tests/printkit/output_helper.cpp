// A program that starts as Quillmark does, standard output possibly closed by whoever
// started it: it opens the file named by its argument (which would take descriptor 1 if
// nothing held it), prints one label through the CUPS transport with /bin/echo standing
// in for lp, and writes to the file "printed" and the descriptor the file got.
// Exit 0 once done; 2 on a wrong call; 3 when the label failed.
#include "common/standard_output.h"
#include "printkit/domain/label_preset.h"
#include "printkit/transport/cups_print_transport.h"
#include "run_sync.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    quill::openMissingStandardStreams();
    if (argc != 2)
        return 2;
    const int file = ::open(argv[1], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (file < 0)
        return 2;
    QCoreApplication app(argc, argv);
    printkit::CUPSTools tools;
    tools.lp = QStringLiteral("/bin/echo");
    printkit::CUPSPrintTransport transport(nullptr, &quill::QProcessRunner::instance(), tools);
    transport.setTemporaryFolder(QDir::tempPath());
    transport.setDebugCopyFolder(QString());
    int status = 0;
    try {
        quill::testing::runSync(
            transport.printImage("png", QStringLiteral("P"), printkit::LabelPreset::rect1x2().canvas, 1,
                                 printkit::CUPSPrintConfiguration{QStringLiteral("Q"), true, {}}));
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        status = 3;
    }
    quill::StandardOutput::drain(std::chrono::seconds(10));
    const QByteArray said = "printed\ndescriptor " + QByteArray::number(file) + '\n';
    if (::write(file, said.constData(), size_t(said.size())) != said.size())
        return 2;
    ::close(file);
    return status;
}
