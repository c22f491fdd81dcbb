#include "help.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "core/interchange.h"
#include "render.h"

namespace velmor::gui {

namespace {

const QString kFormulaScheme = QStringLiteral("formula");

QString plainText(const QAction* a) {
    QString text = a->text();
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    text.replace(QLatin1String("&&"), QLatin1String("&"));
    if (text.endsWith(QLatin1String("..."))) text.chop(3);
    return text;
}

}  // namespace

CHelpBrowser::CHelpBrowser(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("helpBrowser"));
    setOpenExternalLinks(true);
}

QVariant CHelpBrowser::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::ImageResource && name.scheme() == kFormulaScheme) {
        const QImage image = formulaImage(name.path(QUrl::FullyDecoded), devicePixelRatioF());
        if (!image.isNull()) return image;
    }
    return QTextBrowser::loadResource(type, name);
}

QImage formulaImage(const QString& linear, qreal devicePixelRatio) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    const QByteArray text = linear.toUtf8();
    if (!formulasDocument(TextFormat::text, std::string_view(text.constData(), size_t(text.size())), bytes,
                          error))
        return {};
    QImage image;
    CVelmorDoc doc;
    COffscreenWindow window;
    {
        CVelmorView view(doc, window);
        if (doc.onOpenBytes(std::move(bytes), "help")) {
            view.onInitialUpdate();
            const qreal ratio = std::max<qreal>(1, devicePixelRatio);
            image = renderImage(copiedPicture(doc), ratio);
            image.setDevicePixelRatio(ratio);
        }
        doc.onCloseDocument();
    }
    return image;
}

QString shortcutTable(const QList<QAction*>& actions) {
    QString rows;
    for (const QAction* a : actions) {
        QStringList keys;
        for (const QKeySequence& k : a->shortcuts())
            keys << k.toString(QKeySequence::NativeText).toHtmlEscaped();
        if (keys.isEmpty()) continue;
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>\n")
                    .arg(plainText(a).toHtmlEscaped(), keys.join(QStringLiteral(", ")));
    }
    return QStringLiteral(
               "<table border=\"1\" cellpadding=\"4\" "
               "cellspacing=\"0\">\n<tr><th>Command</th><th>Keys</th></tr>\n"
               "%1</table>\n")
        .arg(rows);
}

QString helpPage(const QList<QAction*>& actions) {
    QFile page(QStringLiteral(":/help/typing.html"));
    if (!page.open(QIODevice::ReadOnly))
        return QStringLiteral("<p>The help page is missing from this build.</p>");
    QString html = QString::fromUtf8(page.readAll());
    html.replace(QLatin1String("<!-- shortcuts -->"), shortcutTable(actions));
    return html;
}

QDialog* createHelpDialog(QWidget* parent, const QList<QAction*>& actions) {
    auto* dialog = new QDialog(parent);
    dialog->setObjectName(QStringLiteral("helpDialog"));
    dialog->setWindowTitle(QStringLiteral("Typing Formulas"));
    auto* browser = new CHelpBrowser(dialog);
    browser->setHtml(helpPage(actions));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(browser);
    layout->addWidget(buttons);
    dialog->resize(640, 720);
    return dialog;
}

}  // namespace velmor::gui
