#include "ClassicDialog.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <utility>

#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include "TextRenderer.h"

namespace {

// Shows a picture stretched over its frame with sharp pixels.
class PictureView : public QWidget {
public:
    PictureView(QImage image, QWidget* parent) : QWidget(parent), image_(std::move(image)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(rect(), image_);
    }

private:
    QImage image_;
};

QRect frameOf(const ClassicDialog::Item& item) {
    return QRect(static_cast<int>(item.left), static_cast<int>(item.top), static_cast<int>(item.right - item.left),
                 static_cast<int>(item.bottom - item.top));
}

int centredTop(const QRect& frame, int height) { return frame.top() + (frame.height() - height) / 2; }

// A label that acts as a click on its radio button, as radio labels do on every desktop.
class RadioLabel : public QLabel {
public:
    RadioLabel(const QString& text, std::function<void()> onClick, QWidget* parent)
        : QLabel(text, parent), onClick_(std::move(onClick)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton)
            event->accept();
        else
            QLabel::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            onClick_();
        else
            QLabel::mouseReleaseEvent(event);
    }

private:
    std::function<void()> onClick_;
};

// The radio item a text item labels: one whose rectangle ends left of the text and shares the
// text's middle row; 0 when there is none.
int64_t labelledRadio(const std::vector<ClassicDialog::Item>& items, const ClassicDialog::Item& text) {
    const int64_t middle = (text.top + text.bottom) / 2;
    int64_t found = 0;
    int64_t nearest = 0;
    for (size_t index = 0; index < items.size(); ++index) {
        const ClassicDialog::Item& radio = items[index];
        if (radio.kind != ClassicDialog::Item::Kind::radio || radio.right > text.left || middle < radio.top ||
            middle >= radio.bottom)
            continue;
        if (found == 0 || radio.right > nearest) {
            found = static_cast<int64_t>(index) + 1;
            nearest = radio.right;
        }
    }
    return found;
}

} // namespace

ClassicDialog::Item ClassicDialog::Item::button(std::string title, int64_t top, int64_t left, int64_t bottom,
                                                int64_t right) {
    return Item{Kind::button, std::move(title), {}, top, left, bottom, right};
}

ClassicDialog::Item ClassicDialog::Item::label(std::string text, int64_t top, int64_t left, int64_t bottom,
                                               int64_t right) {
    return Item{Kind::text, std::move(text), {}, top, left, bottom, right};
}

ClassicDialog::Item ClassicDialog::Item::picture(std::vector<std::string> rows, int64_t top, int64_t left,
                                                 int64_t bottom, int64_t right) {
    return Item{Kind::picture, {}, std::move(rows), top, left, bottom, right};
}

ClassicDialog::Item ClassicDialog::Item::radio(int64_t top, int64_t left, int64_t bottom, int64_t right) {
    return Item{Kind::radio, {}, {}, top, left, bottom, right};
}

ClassicDialog::ClassicDialog(const std::string& title, int64_t width, int64_t height,
                             const std::vector<Item>& items, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QString::fromStdString(title));
    setFixedSize(static_cast<int>(width), static_cast<int>(height + 6));
    const QFont textFont = ClassicDialog::textFont();
    // A text item wraps only when its rectangle holds two lines; a one-line item never wraps, so a
    // wide desktop font can never push half of it out of sight.
    const int lineHeight = QFontMetrics(textFont).lineSpacing();

    for (size_t index = 0; index < items.size(); ++index) {
        const Item& item = items[index];
        const int64_t number = static_cast<int64_t>(index) + 1;
        const QRect frame = frameOf(item);
        switch (item.kind) {
        case Item::Kind::button: {
            auto button = std::make_unique<QPushButton>(QString::fromStdString(item.text), this);
            const int buttonHeight = button->sizeHint().height();
            button->setGeometry(frame.left() - 6, centredTop(frame, buttonHeight), frame.width() + 12, buttonHeight);
            button->setAutoDefault(false);
            if (item.text == "OK")
                button->setDefault(true); // Return presses it
            connect(button.get(), &QPushButton::clicked, this, [this, number] { hit(number); });
            controls_.push_back(std::move(button));
            break;
        }
        case Item::Kind::text: {
            const QString text = QString::fromStdString(item.text);
            const int64_t radio = labelledRadio(items, item);
            std::unique_ptr<QLabel> label =
                radio != 0 ? std::make_unique<RadioLabel>(text, [this, radio] { hit(radio); }, this)
                           : std::make_unique<QLabel>(text, this);
            label->setWordWrap(frame.height() >= 2 * lineHeight);
            label->setFont(textFont);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setGeometry(frame);
            controls_.push_back(std::move(label));
            break;
        }
        case Item::Kind::picture: {
            auto picture = std::make_unique<PictureView>(image(item.rows), this);
            picture->setGeometry(frame);
            controls_.push_back(std::move(picture));
            break;
        }
        case Item::Kind::radio: {
            auto radio = std::make_unique<QRadioButton>(this);
            radio->setAutoExclusive(false); // what is shown is the core's business
            radio->setFocusPolicy(Qt::NoFocus);
            const QSize natural = radio->sizeHint();
            radio->setGeometry(frame.left(), centredTop(frame, natural.height()), natural.width(), natural.height());
            connect(radio.get(), &QRadioButton::clicked, this, [this, number] { hit(number); });
            radios[number] = radio.get();
            controls_.push_back(std::move(radio));
            break;
        }
        }
    }
}

ClassicDialog::~ClassicDialog() {
    // The controls go first, while the dialog is still whole, so that none outlives its entry here.
    radios.clear();
    controls_.clear();
}

void ClassicDialog::setValues(const std::map<int64_t, int64_t>& newValues) {
    for (const auto& [item, value] : newValues)
        values[item] = value;
    showValues();
}

void ClassicDialog::hit(int64_t item) {
    showValues();
    onHit(item);
}

QFont ClassicDialog::textFont() {
    QFont font(QString::fromLatin1(QuickDraw::TextRenderer::familyName));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    return font;
}

QWidget* ClassicDialog::control(int64_t item) const {
    if (item < 1 || item > static_cast<int64_t>(controls_.size()))
        return nullptr;
    return controls_[static_cast<size_t>(item - 1)].get();
}

void ClassicDialog::showValues() {
    for (const auto& [item, radio] : radios) {
        const auto found = values.find(item);
        radio->setChecked(found != values.end() && found->second != 0);
    }
}

QImage ClassicDialog::image(const std::vector<std::string>& rows) {
    if (rows.empty() || rows.front().empty())
        return QImage();
    const int width = static_cast<int>(rows.front().size());
    const int height = static_cast<int>(rows.size());
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 0; y < height; ++y) {
        const std::string& row = rows[static_cast<size_t>(y)];
        for (int x = 0; x < width && x < static_cast<int>(row.size()); ++x)
            if (row[static_cast<size_t>(x)] == '#')
                picture.setPixel(x, y, qRgba(0, 0, 0, 255));
    }
    return picture;
}

void ClassicDialog::reject() {
    if (escapeItem != 0)
        hit(escapeItem);
}

void ClassicDialog::closeEvent(QCloseEvent* event) { event->ignore(); }

void ClassicDialog::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool back = key == Qt::Key_Up || key == Qt::Key_Left;
    const bool forward = key == Qt::Key_Down || key == Qt::Key_Right;
    if ((!back && !forward) || radios.empty()) {
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
    std::vector<int64_t> order;
    for (const auto& [item, radio] : radios)
        order.push_back(item);
    // The radio the core has on; with none on, an arrow picks the first.
    auto on = std::find_if(order.begin(), order.end(), [this](int64_t item) {
        const auto found = values.find(item);
        return found != values.end() && found->second != 0;
    });
    if (on == order.end()) {
        hit(order.front());
        return;
    }
    if (back && on != order.begin())
        hit(*std::prev(on));
    if (forward && std::next(on) != order.end())
        hit(*std::next(on));
}
