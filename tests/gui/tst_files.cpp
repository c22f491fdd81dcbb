// Documents on disk and in other programs: saving through a temporary file,
// opening again, export to SVG, PNG, PDF, LaTeX and MathML (in the program
// and with velmor --export), pictures that open as their document, Edit >
// Copy and Copy as, and printing.
#include <QBuffer>
#include <QClipboard>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTest>
#include <QXmlStreamReader>

#include "core/linear_text.h"
#include "gui_document.h"
#include "gui_test_support.h"
#include "print.h"
#include "render.h"
#include "text/latex_writer.h"
#include "text/mathml_writer.h"

using namespace velmor;
using namespace velmor::gui;

namespace {

QString example() { return QStringLiteral(VELMOR_SOURCE_DIR "/examples/example.vlm"); }

std::string exampleDump() {
    COffscreenDocument doc;
    return doc.open(example()) ? tovimat::dumpTree(*doc.doc().base()) : std::string();
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The size of the example's page as the program lays it out.
QSize exampleSize() {
    COffscreenDocument doc;
    if (!doc.open(example())) return {};
    const tovimat::SIZE s = doc.doc().getDocSize();
    return QSize(s.cx, s.cy);
}

// The MediaBox of every page of a PDF, in points.
QList<QSizeF> pdfPages(const QByteArray& pdf) {
    QList<QSizeF> out;
    static const QRegularExpression box(
        QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)\\s*\\]"));
    auto it = box.globalMatch(QString::fromLatin1(pdf));
    while (it.hasNext()) {
        const auto m = it.next();
        out << QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return out;
}

void checkSvg(const QByteArray& svg, QSize size) {
    QVERIFY(svg.startsWith("<?xml"));
    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.viewBox(), QRect(QPoint(0, 0), size));
    QVERIFY(svg.contains("<text"));
}

void checkPng(const QString& path, QSize size) {
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QCOMPARE(image.size(), size);
    // Something was drawn on the white page.
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) ++dark;
    QVERIFY(dark > 50);
}

void checkPdf(const QByteArray& pdf, QSize size) {
    QVERIFY(pdf.startsWith("%PDF-"));
    QVERIFY(pdf.trimmed().endsWith("%%EOF"));
    const QList<QSizeF> pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    QVERIFY(qAbs(pages[0].width() - size.width() * 0.75) <= 1.0);
    QVERIFY(qAbs(pages[0].height() - size.height() * 0.75) <= 1.0);
}

}  // namespace

class FilesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsDir_;
    QTemporaryDir scratch_;

private slots:
    void initTestCase() {
        test::isolateSettings(settingsDir_);
        QVERIFY(!exampleSize().isEmpty());
    }

    void cleanup() { setDocumentWriteBudget(-1); }

    // The old file stays whole when writing the new one fails midway, and
    // no temporary file is left behind.
    void failedSaveKeepsTheOldFile() {
        test::AnsweringSink sink;
        CMainFrame frame;
        frame.show();
        CGuiDocument* doc = frame.openDocument(example());
        QVERIFY(doc);
        const QString path = scratch_.filePath("kept.vlm");
        QVERIFY(frame.saveDocumentAs(doc, path));
        const QByteArray before = readAll(path);
        QVERIFY(before.size() > 100);

        tovimat::protocol::mode = 0;
        test::GuiDriver(frame, *frame.activePane()).play("{Click 400 10}more text");
        QVERIFY(doc->isModified());
        setDocumentWriteBudget(before.size() / 2);
        QVERIFY(!frame.saveDocument(doc));
        QCOMPARE(sink.boxes.size(), size_t(1));
        QCOMPARE(sink.boxes[0].style & 0xF0, tovimat::MB_ICONERROR);
        // The box names the file and the system's reason.
        QVERIFY2(sink.boxes[0].text.find("kept.vlm") != std::string::npos, sink.boxes[0].text.c_str());
        QVERIFY2(sink.boxes[0].text.find("No space left on device") != std::string::npos,
                 sink.boxes[0].text.c_str());
        QCOMPARE(readAll(path), before);
        QVERIFY(doc->isModified());
        QCOMPARE(QDir(scratch_.path()).entryList(QDir::Files), QStringList{"kept.vlm"});

        // With room on the disk the same save goes through, and the file
        // opens to the same tree.
        setDocumentWriteBudget(-1);
        QVERIFY(frame.saveDocument(doc));
        QVERIFY(!doc->isModified());
        QVERIFY(readAll(path) != before);
        const std::string saved = tovimat::dumpTree(*doc->core().base());
        COffscreenDocument again;
        QVERIFY(again.open(path));
        QCOMPARE(QString::fromStdString(tovimat::dumpTree(*again.doc().base())),
                 QString::fromStdString(saved).remove(QRegularExpression(" <caret \\d+>")));
        doc->core().setModifiedFlag(false);
    }

    // A file whose records break off opens untitled, as what could be read of
    // it, so that Save cannot write over it unasked.
    void damagedFileOpensAsARecoveredUntitledDocument() {
        test::AnsweringSink sink;
        CMainFrame frame;
        frame.show();
        const QString path = scratch_.filePath("cut.vlm");
        const QByteArray cut = readAll(example()).left(1000);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(cut);
        }
        CGuiDocument* doc = frame.openDocument(path);
        QVERIFY(doc);
        QVERIFY(doc->path().isEmpty());
        QVERIFY2(doc->title().endsWith(QStringLiteral(" (recovered from cut.vlm)")),
                 qPrintable(doc->title()));
        QVERIFY(doc->suggestedFileName().endsWith(QStringLiteral(".vlm")));
        QVERIFY(!doc->suggestedFileName().contains(QStringLiteral("recovered")));
        QVERIFY(sink.boxes.size() >= 2);
        QVERIFY(sink.boxes.front().text.find("Loader aborted!") != std::string::npos);
        QVERIFY2(sink.boxes.back().text.find("cut.vlm") != std::string::npos, sink.boxes.back().text.c_str());
        QCOMPARE(readAll(path), cut);

        // Saving it where the user says makes it an ordinary document.
        const QString saved = scratch_.filePath("recovered.vlm");
        QVERIFY(frame.saveDocumentAs(doc, saved));
        QCOMPARE(doc->title(), QStringLiteral("recovered.vlm"));
        QCOMPARE(readAll(path), cut);
        // A second open of the damaged file is another recovered copy.
        QVERIFY(frame.openDocument(path) != doc);
    }

    void exportWritesEachFormat() {
        const QSize size = exampleSize();
        QString error;
        const QString svg = scratch_.filePath("x.svg");
        const QString png = scratch_.filePath("x.png");
        const QString pdf = scratch_.filePath("x.pdf");
        QVERIFY2(exportDocument(example(), svg, &error), qPrintable(error));
        QVERIFY2(exportDocument(example(), png, &error), qPrintable(error));
        QVERIFY2(exportDocument(example(), pdf, &error), qPrintable(error));
        checkSvg(readAll(svg), size);
        checkPng(png, size);
        checkPdf(readAll(pdf), size);

        QVERIFY(!exportDocument(example(), scratch_.filePath("x.txt"), &error));
        QVERIFY(error.contains(".svg"));
        QVERIFY(!exportDocument(scratch_.filePath("none.vlm"), png, &error));
    }

    // SVG and PNG carry the document and open as it; LaTeX and MathML are
    // the engine's writers' text; a PNG can be drawn larger.
    void exportedPicturesOpenAsTheirDocument() {
        const std::string original = exampleDump();
        QVERIFY(!original.empty());
        QString error;
        for (const char* name : {"carry.svg", "carry.png"}) {
            const QString out = scratch_.filePath(QLatin1String(name));
            QVERIFY2(exportDocument(example(), out, &error), qPrintable(error));
            COffscreenDocument opened;
            QVERIFY2(opened.open(out), opened.doc().lastError().c_str());
            QVERIFY(opened.doc().openedPicture());
            QCOMPARE(tovimat::dumpTree(*opened.doc().base()), original);
            // A picture of the picture carries the same document.
            const QString again = scratch_.filePath(QLatin1String("again-") + QLatin1String(name));
            QVERIFY2(exportDocument(out, again, &error), qPrintable(error));
            COffscreenDocument reopened;
            QVERIFY(reopened.open(again));
            QCOMPARE(tovimat::dumpTree(*reopened.doc().base()), original);
        }
        checkSvg(readAll(scratch_.filePath("carry.svg")), exampleSize());

        COffscreenDocument doc;
        QVERIFY(doc.open(example()));
        const QString tex = scratch_.filePath("x.tex");
        const QString mml = scratch_.filePath("x.mml");
        QVERIFY2(exportDocument(example(), tex, &error), qPrintable(error));
        QVERIFY2(exportDocument(example(), mml, &error), qPrintable(error));
        QCOMPARE(readAll(tex), QByteArray::fromStdString(tovimat::latexDocument(*doc.doc().base())));
        QCOMPARE(readAll(mml), QByteArray::fromStdString(tovimat::mathmlDocument(*doc.doc().base())));

        const QString big = scratch_.filePath("big.png");
        QVERIFY2(exportDocument(example(), big, &error, 2.5), qPrintable(error));
        const QImage image(big);
        QCOMPARE(image.size(), exampleSize() * 2.5);
        QCOMPARE(image.dotsPerMeterX(), qRound(240 / 0.0254));
        QVERIFY(!exportDocument(example(), big, &error, 100));
        QVERIFY(error.contains(QStringLiteral("scale")));
        QCOMPARE(QImage(big).size(), image.size());

        // A picture from elsewhere says why it does not open.
        const QString plain = scratch_.filePath("plain.png");
        QVERIFY(renderImage(documentPicture(doc.doc())).save(plain));
        COffscreenDocument refused;
        QVERIFY(!refused.open(plain));
        QVERIFY(refused.doc().lastError().find("without a Velmor document") != std::string::npos);
    }

    // A picture opens untitled, so that Save does not put the document's
    // bytes where the picture was.
    void openingAPictureGivesAnUntitledDocument() {
        test::AnsweringSink sink;
        CMainFrame frame;
        frame.show();
        const QString svg = scratch_.filePath("formula.svg");
        QString error;
        QVERIFY2(exportDocument(example(), svg, &error), qPrintable(error));
        const QByteArray picture = readAll(svg);
        CGuiDocument* doc = frame.openDocument(svg);
        QVERIFY(doc);
        QVERIFY(doc->path().isEmpty());
        QVERIFY2(QRegularExpression(QStringLiteral("^Untitled \\d+ \\(from formula\\.svg\\)$"))
                     .match(doc->title())
                     .hasMatch(),
                 qPrintable(doc->title()));
        QCOMPARE(doc->suggestedFileName(), scratch_.filePath("formula.vlm"));
        QCOMPARE(tovimat::dumpTree(*doc->core().base()), exampleDump());
        QVERIFY(sink.boxes.empty());

        const QString saved = scratch_.filePath("formula.vlm");
        QVERIFY(frame.saveDocumentAs(doc, saved));
        QCOMPARE(doc->title(), QStringLiteral("formula.vlm"));
        QCOMPARE(readAll(svg), picture);

        // A picture from elsewhere opens nothing and says why.
        const QString plain = scratch_.filePath("plain.png");
        QVERIFY(renderImage(documentPicture(doc->core())).save(plain));
        QVERIFY(!frame.openDocument(plain));
        QCOMPARE(sink.boxes.size(), size_t(1));
        QVERIFY2(
            sink.boxes[0].text.find("plain.png: a picture without a Velmor document") != std::string::npos,
            sink.boxes[0].text.c_str());
    }

    // File > Import makes a new untitled document of the formulas of a LaTeX
    // or linear text file; a file it cannot read says where, and opens
    // nothing. File > Export writes the open document.
    void importAndExportInTheProgram() {
        test::AnsweringSink sink;
        CMainFrame frame;
        frame.show();
        QVERIFY(frame.findChild<QAction*>(QStringLiteral("fileImport")));
        QVERIFY(frame.findChild<QAction*>(QStringLiteral("fileExport")));
        QString error;
        const QString tex = scratch_.filePath("formulas.tex");
        QVERIFY2(exportDocument(example(), tex, &error), qPrintable(error));
        CGuiDocument* doc = frame.importDocument(tex);
        QVERIFY(doc);
        QVERIFY(doc->path().isEmpty());
        QVERIFY2(doc->title().endsWith(QStringLiteral(" (from formulas.tex)")), qPrintable(doc->title()));
        QCOMPARE(QByteArray::fromStdString(tovimat::latexDocument(*doc->core().base())), readAll(tex));

        const QString mml = scratch_.filePath("imported.mml");
        QVERIFY2(writeExport(doc->core(), mml, QStringLiteral("imported"), &error), qPrintable(error));
        QCOMPARE(readAll(mml), QByteArray::fromStdString(tovimat::mathmlDocument(*doc->core().base())));
        QVERIFY(!writeExport(doc->core(), scratch_.filePath("imported.doc"), QString(), &error));

        const QString bad = scratch_.filePath("bad.txt");
        {
            QFile f(bad);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("a + b\n2 * (3 +\n");
        }
        const int windows = int(frame.findChildren<CChildFrame*>().size());
        QVERIFY(!frame.importDocument(bad));
        QCOMPARE(int(frame.findChildren<CChildFrame*>().size()), windows);
        QCOMPARE(sink.boxes.size(), size_t(1));
        QVERIFY2(sink.boxes[0].text.find("line 2, column 9: operand expected") != std::string::npos,
                 sink.boxes[0].text.c_str());
    }

    // velmor --export needs no display: it runs without DISPLAY and writes
    // the same picture.
    void exportFromTheCommandLine() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        const QString png = scratch_.filePath("cli.png");
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VELMOR_PROGRAM), {QStringLiteral("--export"), example(), png});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        checkPng(png, exampleSize());

        p.start(QStringLiteral(VELMOR_PROGRAM), {QStringLiteral("--export"), example()});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);

        p.start(QStringLiteral(VELMOR_PROGRAM),
                {QStringLiteral("--export"), example(), png, QStringLiteral("--dpi"), QStringLiteral("192")});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        QCOMPARE(QImage(png).size(), exampleSize() * 2);
        p.start(QStringLiteral(VELMOR_PROGRAM),
                {QStringLiteral("--export"), example(), png, QStringLiteral("--scale"), QStringLiteral("x")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);

        // A damaged document draws nothing and says which file it is.
        const QString cut = scratch_.filePath("cut-export.vlm");
        {
            QFile f(cut);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(readAll(example()).left(500));
        }
        p.start(QStringLiteral(VELMOR_PROGRAM), {QStringLiteral("--export"), cut, png});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains(cut + " is damaged"));
    }

    // velmor --save-as saves through the desktop program's own document,
    // without a window: the file opens again to the same tree.
    void saveAsFromTheCommandLine() {
        const QString out = scratch_.filePath("cli-saved.vlm");
        QProcess p;
        p.start(QStringLiteral(VELMOR_PROGRAM), {QStringLiteral("--save-as"), example(), out});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        COffscreenDocument original, again;
        QVERIFY(original.open(example()));
        QVERIFY(again.open(out));
        QCOMPARE(tovimat::dumpTree(*again.doc().base()), tovimat::dumpTree(*original.doc().base()));

        p.start(QStringLiteral(VELMOR_PROGRAM),
                {QStringLiteral("--save-as"), example(), scratch_.filePath("no/such/folder.vlm")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains("No such file or directory"));
    }

    // Copy takes the selection, or the whole document, as SVG, PNG and text.
    void copyToTheClipboard() {
        test::AnsweringSink sink;
        CMainFrame frame;
        frame.show();
        frame.newDocument();
        tovimat::protocol::mode = 0;
        test::GuiDriver driver(frame, *frame.activePane());
        driver.play("{Click 10 10}a+b{Click 10 80}{NewItemTool}{Click 10 80}2x");
        CGuiDocument* doc = frame.activeDocument();

        std::unique_ptr<QMimeData> all(clipboardData(doc->core()));
        QVERIFY(all);
        // The lines as linear text, as velmor-cli calc prints them.
        QCOMPARE(all->text() + '\n', QString::fromStdString(linearLines(*doc->core().base())));
        QVERIFY(all->hasImage());
        const QImage whole = qvariant_cast<QImage>(all->imageData());
        const tovimat::nucleo* first = doc->core().base()->first();
        const tovimat::nucleo* second = first->next();
        QCOMPARE(whole.size(), QSize(std::max(first->right(), second->right()) - 10, second->bottom() - 10));
        checkSvg(all->data(QStringLiteral("image/svg+xml")), whole.size());

        driver.play("{SelectorTool}{Click @1}");
        std::unique_ptr<QMimeData> part(clipboardData(doc->core()));
        QCOMPARE(part->text(), QString::fromStdString(linearText(*second)));
        QCOMPARE(qvariant_cast<QImage>(part->imageData()).size(), QSize(second->Width(), second->Height()));
        QCOMPARE(part->data(QStringLiteral("text/x-tex")),
                 QByteArray::fromStdString(tovimat::latexOf(*second)));
        QCOMPARE(part->data(QStringLiteral("application/mathml+xml")),
                 QByteArray::fromStdString(tovimat::mathmlOf(*second)));

        // Through the menu, onto the clipboard.
        frame.updateUi();
        frame.action(id::EditCopy)->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), part->text());
        auto* asLatex = frame.findChild<QAction*>(QStringLiteral("editCopyAsLatex"));
        auto* asMathml = frame.findChild<QAction*>(QStringLiteral("editCopyAsMathml"));
        QVERIFY(asLatex && asMathml && asLatex->isEnabled());
        asLatex->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(tovimat::latexOf(*second)));
        asMathml->trigger();
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("application/mathml+xml")),
                 QByteArray::fromStdString(tovimat::mathmlOf(*second)));

        // Both pictures carry the copied formula, and nothing else of the
        // document, at the picture's corner.
        for (const char* type : {"image/png", "image/svg+xml"}) {
            const QByteArray bytes = part->data(QLatin1String(type));
            CVelmorDoc carried;
            QVERIFY2(carried.onOpenBytes({bytes.begin(), bytes.end()}, "clipboard"),
                     carried.lastError().c_str());
            QCOMPARE(carried.base()->members(), 1);
            tovimat::nucleo* only = carried.base()->first();
            QCOMPARE(QString::fromStdString(tovimat::dumpTree(*only)),
                     QString::fromStdString(tovimat::dumpTree(*second))
                         .remove(QRegularExpression(" <(caret \\d+|selected)>")));
            QCOMPARE(QPoint(only->left(), only->top()), QPoint(0, 0));
            carried.onCloseDocument();
        }
        doc->core().setModifiedFlag(false);
    }

    // A page scaled like the screen: the example fits on one A4 page; a tall
    // document takes more.
    void printing() {
        COffscreenDocument doc;
        QVERIFY(doc.open(example()));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        const QString out = scratch_.filePath("printed.pdf");
        printer.setOutputFileName(out);
        QCOMPARE(pageCount(printer, doc.doc()), 1);
        QVERIFY(printDocument(printer, doc.doc()));
        const QList<QSizeF> pages = pdfPages(readAll(out));
        QCOMPARE(pages.size(), 1);
        QVERIFY(qAbs(pages[0].width() - 595) < 2);

        // Move the last line far down: three pages tall.
        tovimat::nucleo* last = doc.doc().base()->last();
        last->moveTo(10, 2600);
        doc.doc().base()->update();
        QCOMPARE(pageCount(printer, doc.doc()), 3);
        QVERIFY(printDocument(printer, doc.doc()));
        QCOMPARE(pdfPages(readAll(out)).size(), 3);
    }

    // The file type the desktop learns from the shared-mime-info entry must
    // be what the program writes: the glob, and the magic bytes of a saved
    // document. The menu entry opens such files with the program.
    void desktopIntegration() {
        const QString data = QStringLiteral(VELMOR_SOURCE_DIR "/app/gui/data/");
        QXmlStreamReader xml(readAll(data + "velmor.xml"));
        QString type, glob, magic;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            if (xml.name() == QLatin1String("mime-type")) type = xml.attributes().value("type").toString();
            if (xml.name() == QLatin1String("glob")) glob = xml.attributes().value("pattern").toString();
            if (xml.name() == QLatin1String("match")) magic = xml.attributes().value("value").toString();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(type, QStringLiteral("application/x-velmor"));
        QCOMPARE(glob, QStringLiteral("*.vlm"));
        QByteArray bytes;
        for (const QString& hex : magic.split(QStringLiteral("\\x"), Qt::SkipEmptyParts))
            bytes += char(hex.toInt(nullptr, 16));
        QCOMPARE(bytes, QByteArray("\x01\x67\x11\x11", 4));

        COffscreenDocument doc;
        QVERIFY(doc.open(example()));
        const QString saved = scratch_.filePath("magic.vlm");
        QVERIFY(writeDocumentFile(doc.doc(), saved, nullptr));
        QCOMPARE(readAll(saved).left(4), bytes);

        QSettings desktop(data + "velmor.desktop", QSettings::IniFormat);
        desktop.beginGroup("Desktop Entry");
        QCOMPARE(desktop.value("Type").toString(), QStringLiteral("Application"));
        QCOMPARE(desktop.value("Exec").toString(), QStringLiteral("velmor %F"));
        QCOMPARE(desktop.value("Icon").toString(), QStringLiteral("velmor"));
        QVERIFY(desktop.value("MimeType").toString().split(';').contains("application/x-velmor"));
        for (const char* icon : {"velmor.svg", "application-x-velmor.svg"})
            QVERIFY(QSvgRenderer(data + icon).isValid());
    }

    // Every text of the example has its glyphs in the fonts it maps to: no
    // empty boxes where a Symbol byte or a code-page letter should be.
    void exampleHasItsGlyphs() {
        COffscreenDocument doc;
        QVERIFY(doc.open(example()));
        QImage scratch(10, 10, QImage::Format_ARGB32);
        QPainter p(&scratch);
        test::RecordingDC dc(&p);
        const tovimat::SIZE size = doc.doc().getDocSize();
        tovimat::aRect area(0, 0, size.cx, size.cy);
        doc.doc().root()->paint(&dc, area);
        p.end();
        QVERIFY(dc.drawn.size() > 10);
        bool symbol = false;
        for (const test::RecordingDC::Drawn& d : dc.drawn) {
            symbol |= d.text.contains(QChar(0x221e));
            QVERIFY2(test::missingGlyphs(d.text, d.font) == 0, qPrintable(d.text + " in " + d.font.family()));
        }
        // The minus infinity of the example is drawn as U+221E, not as a byte.
        QVERIFY(symbol);
    }
};

QTEST_MAIN(FilesTest)
#include "tst_files.moc"
