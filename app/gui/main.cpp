// velmor: the desktop program.
//
//   velmor [FILE...]                        opens the files, or a new document
//   velmor --export FILE.vlm OUT.svg|png|pdf|tex|mml [--scale N | --dpi N]
//                                           draws (or writes) the document
//                                           into OUT and quits without
//                                           opening a window; a PNG is drawn
//                                           N times larger, or at N dots per
//                                           inch (96 is the screen's)
//   velmor --save-as FILE.vlm OUT.vlm       opens the document and saves it
//                                           into OUT the way File > Save As
//                                           does, without opening a window
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>

#include "gui_document.h"
#include "icons.h"
#include "main_frame.h"
#include "message_sink.h"
#include "render.h"

namespace {

int exportMain(int argc, char** argv) {
    // No window is needed, and the offscreen platform draws the same without
    // a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    velmor::gui::CWarningSink warnings;
    const QStringList args = app.arguments();
    const int at = int(args.indexOf(QStringLiteral("--export")));
    double scale = 1.0;
    bool valid = at == 1 && (args.size() == 4 || args.size() == 6);
    if (valid && args.size() == 6) {
        const double n = args[5].toDouble(&valid);
        if (args[4] == QLatin1String("--scale"))
            scale = n;
        else if (args[4] == QLatin1String("--dpi"))
            scale = n / 96;
        else
            valid = false;
    }
    if (!valid) {
        std::fputs("usage: velmor --export FILE.vlm OUT.svg|png|pdf|tex|mml [--scale N | --dpi N]\n", stderr);
        return 2;
    }
    QString error;
    if (!velmor::gui::exportDocument(args[at + 1], args[at + 2], &error, scale)) {
        std::fprintf(stderr, "velmor: %s\n", qPrintable(error));
        return 2;
    }
    return 0;
}

// Opens and saves a document through the desktop program's own document
// class, so its save can be driven (and tested) without a window.
int saveAsMain(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 || args.indexOf(QStringLiteral("--save-as")) != 1) {
        std::fputs("usage: velmor --save-as FILE.vlm OUT.vlm\n", stderr);
        return 2;
    }
    velmor::gui::CWarningSink warnings;
    velmor::gui::CGuiDocument doc(1);
    CVelmorDoc& core = doc.core();
    if (!core.onOpenDocument(QFile::encodeName(args[2]).toStdString()) || core.openedDamaged()) {
        std::fprintf(stderr, "velmor: %s\n", core.lastError().c_str());
        return 2;
    }
    QString error;
    if (!doc.save(args[3], &error)) {
        std::fprintf(stderr, "velmor: cannot write %s: %s\n", qPrintable(args[3]), qPrintable(error));
        return 2;
    }
    return 0;
}

void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Desktop editor for mathematical expressions.\n"
                       "velmor --export FILE.vlm OUT.svg|png|pdf|tex|mml [--scale N | --dpi N] "
                       "draws a document into a file without opening a window.\n"
                       "velmor --save-as FILE.vlm OUT.vlm saves a document "
                       "into OUT without opening a window."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Documents to open."),
                                 QStringLiteral("[FILE...]"));
}

bool asksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--export") == 0) return exportMain(argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--save-as") == 0) return saveAsMain(argc, argv);
    // Help and version need no display.
    if (asksForHelp(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationVersion(QStringLiteral(VELMOR_VERSION));
        QCommandLineParser parser;
        describe(parser);
        parser.process(app);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmor"));
    QApplication::setApplicationName(QStringLiteral("Velmor"));
    QApplication::setApplicationVersion(QStringLiteral(VELMOR_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("velmor"));
    QApplication::setWindowIcon(velmor::gui::appIcon());

    QCommandLineParser parser;
    describe(parser);
    parser.process(app);

    velmor::gui::CQtMessageSink sink;
    velmor::gui::CMainFrame frame;
    frame.show();
    const QStringList files = parser.positionalArguments();
    for (const QString& f : files) frame.openDocument(f);
    if (files.isEmpty()) frame.newDocument();
    return app.exec();
}
