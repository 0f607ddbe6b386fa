#pragma once

#include <QDialog>

#include "app/DialogTemplate.h"

namespace zamrit {

// The about box: the icon, the version line and OK (template 100). OK, Enter, Escape and the
// close box close it.
class AboutDialog final : public QDialog {
public:
    static constexpr int kIconId = -1;
    static constexpr int kOkId = 1;

    explicit AboutDialog(QWidget* parent = nullptr);

    QWidget* Item(int id) const { return template_.Item(id); }

private:
    DialogTemplate template_;
};

}  // namespace zamrit
