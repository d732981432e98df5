// ClassicDialog: an alert or dialog sheet laid out from a classic item list.
//
// Every item has a kind and a rectangle (top, left, bottom, right) in points from the panel's
// top-left; items are numbered from 1 in list order. Buttons and radio buttons report their item
// number through onHit. The radio buttons always show the core's values: a click reports the item
// and leaves the display alone until the core sends new values. The sheet never closes itself (the
// window's close button does nothing): only its owner ends it. Escape does nothing either, unless the
// sheet names an item for it, which it then reports as if clicked. The arrow keys report the radio
// button before (Up, Left) or after (Down, Right) the one the core has on, in item order. A text item on the row of a radio
// button, right of it, is that radio's label: clicking it clicks the radio.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QDialog>
#include <QFont>
#include <QImage>

class QAbstractButton;
class QLabel;
class QRadioButton;

class ClassicDialog : public QDialog {
    Q_OBJECT
public:
    struct Item {
        enum class Kind : int64_t { button = 0, text = 1, picture = 2, radio = 3 };
        Kind kind = Kind::text;
        std::string text;              // button title or label text
        std::vector<std::string> rows; // picture rows
        int64_t top = 0, left = 0, bottom = 0, right = 0;

        static Item button(std::string title, int64_t top, int64_t left, int64_t bottom, int64_t right);
        static Item label(std::string text, int64_t top, int64_t left, int64_t bottom, int64_t right);
        static Item picture(std::vector<std::string> rows, int64_t top, int64_t left, int64_t bottom,
                            int64_t right);
        static Item radio(int64_t top, int64_t left, int64_t bottom, int64_t right);
    };

    ClassicDialog(const std::string& title, int64_t width, int64_t height, const std::vector<Item>& items,
                  QWidget* parent = nullptr);
    ~ClassicDialog() override;

    // Called with the item number of every clicked button or radio button.
    std::function<void(int64_t)> onHit = [](int64_t) {};
    // Every radio item by item number.
    std::map<int64_t, QRadioButton*> radios;
    // The item Escape reports; 0 for none (a sheet whose owner waits for a particular answer).
    int64_t escapeItem = 0;
    // The control values last received from the core; an item without entry reads as 0.
    std::map<int64_t, int64_t> values;

    // Takes the core's values (merged into `values`) and shows them on the radio buttons.
    void setValues(const std::map<int64_t, int64_t>& newValues);
    // The action of every button and radio button: re-show the core's values, report the item.
    void hit(int64_t item);
    // The control of item n (1-based), or null.
    QWidget* control(int64_t item) const;

    // The font of every text item: the family the game's own text resolves to, at 12 pixels, so that
    // the item rectangles fit whatever font the desktop uses.
    static QFont textFont();

    // The picture of `rows`: one pixel per character, '#' black, anything else transparent.
    static QImage image(const std::vector<std::string>& rows);

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showValues();

    std::vector<std::unique_ptr<QWidget>> controls_; // by item index
};
