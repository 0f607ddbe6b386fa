#include "app/DialogTemplate.h"

#include "app/DialogFont.h"

namespace zamrit {

DialogTemplate::DialogTemplate(QDialog& dialog, int widthUnits, int heightUnits)
    : dialog_(dialog), units_(DialogFont::Font()) {
    dialog_.setFont(DialogFont::Font());
    dialog_.setFixedSize(units_.X(widthUnits), units_.Y(heightUnits));
}

void DialogTemplate::Place(QWidget& control, int id, int x, int y, int width, int height) {
    control.setGeometry(units_.ToPixels(x, y, width, height));
    control.setProperty("controlId", id);
    if (id != -1) byId_[id] = &control;
}

QWidget* DialogTemplate::Item(int id) const {
    const auto found = byId_.find(id);
    return found == byId_.end() ? nullptr : found->second;
}

}  // namespace zamrit
