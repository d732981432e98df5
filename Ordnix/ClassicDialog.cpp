#include "ClassicDialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

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
    QFont textFont = font();
    textFont.setPixelSize(12);

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
            auto label = std::make_unique<QLabel>(QString::fromStdString(item.text), this);
            label->setWordWrap(true);
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
