#pragma once

#include <memory>

#include <QTextBrowser>

#include "platform/ChmFile.h"

namespace zamrit {

// A text browser whose pages, pictures and style sheets come from one compiled help file:
// relative links between the help pages resolve inside the file.
class ChmTextBrowser final : public QTextBrowser {
public:
    ChmTextBrowser(ChmFile file, QWidget* parent = nullptr);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    ChmFile file_;
};

}  // namespace zamrit
