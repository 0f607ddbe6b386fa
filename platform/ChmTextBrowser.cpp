#include "platform/ChmTextBrowser.h"

#include <QByteArray>
#include <QUrl>

namespace zamrit {

ChmTextBrowser::ChmTextBrowser(ChmFile file, QWidget* parent)
    : QTextBrowser(parent), file_(std::move(file)) {
    setOpenExternalLinks(true);
}

QVariant ChmTextBrowser::loadResource(int type, const QUrl& name) {
    if (name.scheme().isEmpty() || name.scheme() == QStringLiteral("chm")) {
        if (auto bytes = file_.Read(name.path().toStdString())) {
            QByteArray data(bytes->data(), static_cast<qsizetype>(bytes->size()));
            if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource) {
                return QString::fromUtf8(data);
            }
            return data;
        }
    }
    return QTextBrowser::loadResource(type, name);
}

}  // namespace zamrit
