#include "app/AboutDialog.h"

#include <QLabel>
#include <QPushButton>

#include "app/AppIcon.h"
#include "app/DialogTexts.h"

namespace zamrit {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), template_(*this, 235, 55) {
    setWindowTitle(QString::fromUtf8(texts::kAboutTitle));
    setWindowIcon(AppIcon::Icon());

    auto* icon = template_.Add<QLabel>(kIconId, 11, 17, 20, 20);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(AppIcon::Icon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* version = template_.Add<QLabel>(-1, 40, 10, 119, 8);
    version->setObjectName(QStringLiteral("aboutVersion"));
    version->setTextFormat(Qt::PlainText);  // no mnemonic or markup in the version line
    version->setText(QString::fromUtf8(texts::kAboutVersionLine));

    auto* ok = template_.Add<QPushButton>(kOkId, 178, 7, 50, 14, QString::fromUtf8(texts::kOk));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace zamrit
