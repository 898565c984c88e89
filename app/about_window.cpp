#include "app/about_window.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "app/shown_text.h"
#include "app/stacked_layout.h"
#include "app/twips.h"
#include "app/window_font.h"
#include "product/product.h"

namespace quillfold {
namespace {

const QColor kTextBlue(0, 0, 192);

void SetTextColour(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

void SetBackColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void Place(QWidget* widget, const PixelRect& rect) {
  widget->setGeometry(rect.x, rect.y, rect.width, rect.height);
}

}  // namespace

AboutWindow::AboutWindow(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("About"));
  setWindowTitle(QStringLiteral("About Today"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFont(WindowFont());
  SetBackColour(this, Qt::black);
  // The labels lie on the fixed white rectangle, so their default text
  // colour is fixed too: a dark desktop theme's light text would vanish.
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  setPalette(palette);
  shape_ = new QFrame(this);
  shape_->setObjectName(QStringLiteral("Shape1"));
  SetBackColour(shape_, Qt::white);
  AddLabels();
  auto* close = new QPushButton(QStringLiteral("OK"), this);
  close->setObjectName(QStringLiteral("cmdClose"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  column_.push_back({close, {1140, 4440, 855, 375}});
  ArrangeToFit();
  close->setFocus();
}

void AboutWindow::AddLabels() {
  QLabel* title = AddLabel("Label1", ShownText(kProductTitle), {120, 150, 2925, 375});
  title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  title->setFont(WindowFont(12, /*bold=*/true));
  SetTextColour(AddLabel("Label2",
                         QStringLiteral("Quillfold will arrange your MP3 files in directories and "
                                        "subdirectories for you (using ID3v1 tags)."),
                         {120, 600, 2925, 735}),
                kTextBlue);
  SetTextColour(AddLabel("Label4", QStringLiteral("Format: {BASE}\\Artist\\Album\\trackname.mp3"),
                         {120, 1440, 2925, 495}),
                kTextBlue);
  SetTextColour(AddLabel("Label5",
                         QStringLiteral(
                             "HOWTO: Select a Path as the \"BASE\", choose your options, and click "
                             "\"Go\". Every MP3 file found below the Base will be processed and "
                             "results will be shown."),
                         {120, 2040, 2925, 975}),
                kTextBlue);
  AddLabel("lblAbout", QStringLiteral("Author:"), {60, 3030, 3075, 255})
      ->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  QLabel* author = AddLabel("lblAbout2", ShownText(kAuthorName) + '\n' + ShownText(kSupportAddress),
                            {150, 3330, 2925, 495});
  author->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  author->setFont(WindowFont(9.75));
  QLabel* copyright = AddLabel("Label3", QString(), {60, 3900, 3045, 255});
  copyright->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  copyright->setFont(WindowFont(8.25, /*bold=*/false, /*italic=*/true));
  copyright->setText(ShownText(kCopyrightLine));
}

QLabel* AboutWindow::AddLabel(const char* name, const QString& text, const TwipRect& position) {
  auto* label = new QLabel(text, this);
  label->setObjectName(QString::fromLatin1(name));
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  column_.push_back({label, position});
  return label;
}

// The texts were drawn for a narrower face than the sans-serif fonts of
// Linux desktops: where one needs more lines than drawn, it gets them and
// everything below it moves down, so nothing is cut off.
void AboutWindow::ArrangeToFit() {
  const TwipScale scale = WindowScale(*this);
  std::vector<PixelRect> design;
  std::vector<int> needed;
  for (const auto& [widget, position] : column_) {
    design.push_back(scale.Pixels(position));
    auto* label = qobject_cast<QLabel*>(widget);
    needed.push_back(label == nullptr ? 0 : label->heightForWidth(design.back().width));
  }
  const StackedLayout fitted = StackToFit(design, needed);
  for (std::size_t i = 0; i < column_.size(); ++i) Place(column_[i].first, fitted.rects[i]);
  setFixedSize(scale.Pixels(3210), scale.Pixels(4965) + fitted.growth);
  PixelRect shape = scale.Pixels(TwipRect{50, 30, 3135, 4890});
  shape.height += fitted.growth;
  Place(shape_, shape);
}

void AboutWindow::ShowModal(QWidget* owner) {
  auto* about = new AboutWindow(owner);
  if (owner != nullptr) about->move(owner->frameGeometry().center() - about->rect().center());
  about->exec();
}

}  // namespace quillfold
