#pragma once

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <QDialog>
#include <QWidget>

#include "app/DialogUnits.h"

namespace zamrit {

// The controls of a dialog, laid out from a template in dialog units of the dialog's font and
// reached by their control ids. Owns every control; the dialog is their parent for painting.
class DialogTemplate {
public:
    DialogTemplate(QDialog& dialog, int widthUnits, int heightUnits);

    // Makes a control at (x, y, width, height) dialog units. Id -1 controls are not looked up.
    template <typename Control, typename... Args>
    Control* Add(int id, int x, int y, int width, int height, Args&&... args) {
        auto control = std::make_unique<Control>(std::forward<Args>(args)..., &dialog_);
        Control* raw = control.get();
        Place(*raw, id, x, y, width, height);
        controls_.push_back(std::move(control));
        return raw;
    }

    // The control of an id, or nullptr.
    QWidget* Item(int id) const;
    const DialogUnits& Units() const { return units_; }
    std::size_t ControlCount() const { return controls_.size(); }

private:
    void Place(QWidget& control, int id, int x, int y, int width, int height);

    QDialog& dialog_;
    DialogUnits units_;
    std::vector<std::unique_ptr<QWidget>> controls_;
    std::map<int, QWidget*> byId_;
};

}  // namespace zamrit
