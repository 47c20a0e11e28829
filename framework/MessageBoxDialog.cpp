#include "MessageBoxDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <optional>

#include "MessageStyle.h"

namespace orvane {
namespace {

// What the window manager adds around a window (title bar, borders), in text lines: the box
// leaves that much of the screen free.
constexpr int kDecorationLines = 3;
// The title bar's icon and buttons beside the title, in text lines.
constexpr int kTitleBarButtonsLines = 8;

std::optional<QStyle::StandardPixmap> iconFor(unsigned style) {
  switch (style & message::kIconMask) {
    case message::kIconStop:
      return QStyle::SP_MessageBoxCritical;
    case message::kIconQuestion:
      return QStyle::SP_MessageBoxQuestion;
    case message::kIconExclamation:
      return QStyle::SP_MessageBoxWarning;
    case message::kIconInformation:
      return QStyle::SP_MessageBoxInformation;
    default:
      return std::nullopt;
  }
}

QDialogButtonBox::StandardButtons buttonsFor(unsigned style) {
  switch (style & message::kButtonMask) {
    case message::kButtonsOkCancel:
      return QDialogButtonBox::Ok | QDialogButtonBox::Cancel;
    case message::kButtonsYesNoCancel:
      return QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel;
    case message::kButtonsYesNo:
      return QDialogButtonBox::Yes | QDialogButtonBox::No;
    default:
      return QDialogButtonBox::Ok;
  }
}

int answerFor(QDialogButtonBox::StandardButton button) {
  switch (button) {
    case QDialogButtonBox::Yes:
      return message::kAnswerYes;
    case QDialogButtonBox::No:
      return message::kAnswerNo;
    case QDialogButtonBox::Cancel:
      return message::kAnswerCancel;
    default:
      return message::kAnswerOk;
  }
}

// What Escape and the close box answer: the only button of an OK box, else the answer that
// changes nothing (No, Cancel).
int escapeAnswerFor(unsigned style) {
  switch (style & message::kButtonMask) {
    case message::kButtonsOk:
      return message::kAnswerOk;
    case message::kButtonsYesNo:
      return message::kAnswerNo;
    default:
      return message::kAnswerCancel;
  }
}

// Server replies may end their lines the other platform's way.
QString shownText(QString text) {
  return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

constexpr QTextOption::WrapMode kWrapping = QTextOption::WrapAtWordBoundaryOrAnywhere;
constexpr qreal kUnbounded = 1e6;

// Lays `text` out as the box's text field does, each paragraph `width` pixels wide, and gives
// the widest line and the height of them all.
QSize laidOut(const QString& text, const QFont& font, qreal width, QTextOption::WrapMode wrap) {
  qreal widest = 0;
  qreal height = 0;
  QTextOption option;
  option.setWrapMode(wrap);
  for (const QString& paragraph : text.split(u'\n')) {
    QTextLayout layout(paragraph, font);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLeadingIncluded(true);
      line.setLineWidth(width);
      widest = std::max(widest, line.naturalTextWidth());
      height += line.height();
    }
    layout.endLayout();
  }
  return {static_cast<int>(std::ceil(widest)), static_cast<int>(std::ceil(height))};
}

// The part of the owner's screen that windows may take.
QRect screenArea(const QWidget* owner) {
  return (owner ? owner->screen() : QGuiApplication::primaryScreen())->availableGeometry();
}

}  // namespace

MessageBoxDialog::MessageBoxDialog(const QString& title, const QString& text, unsigned style,
                                   QWidget* owner)
    : text_(new QPlainTextEdit(this)), answer_(escapeAnswerFor(style)) {
  setWindowTitle(title);
  grid_ = new QGridLayout(this);
  grid_->setSizeConstraint(QLayout::SetFixedSize);
  if (const auto icon = iconFor(style)) {
    const int size = this->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    auto* picture = new QLabel(this);
    picture->setPixmap(this->style()->standardIcon(*icon, nullptr, this).pixmap(size, size));
    grid_->addWidget(picture, 0, 0, Qt::AlignTop);
    iconWidth_ = size + grid_->horizontalSpacing();
  }
  text_->setPlainText(shownText(text));
  text_->setReadOnly(true);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  text_->setFrameShape(QFrame::NoFrame);
  text_->setWordWrapMode(kWrapping);
  text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  text_->document()->setDocumentMargin(0);
  QPalette palette = text_->palette();  // read like a label, not like a field to type into
  palette.setColor(QPalette::Base, palette.color(QPalette::Window));
  text_->setPalette(palette);
  grid_->addWidget(text_, 0, 1);
  addButtons(style);
  grid_->addWidget(buttons_, 1, 0, 1, 2);
  fitToScreen(title, owner);
  placeOver(owner);
}

void MessageBoxDialog::addButtons(unsigned style) {
  buttons_ = new QDialogButtonBox(buttonsFor(style), this);
  connect(buttons_, &QDialogButtonBox::clicked, this, [this](QAbstractButton* button) {
    answer_ = answerFor(buttons_->standardButton(button));
    accept();
  });
  // The first button is the default, as in the platform's boxes: OK, else Yes.
  QPushButton* first = buttons_->button(QDialogButtonBox::Ok);
  if (first == nullptr) first = buttons_->button(QDialogButtonBox::Yes);
  first->setDefault(true);
  first->setFocus(Qt::OtherFocusReason);
}

void MessageBoxDialog::fitToScreen(const QString& title, const QWidget* owner) {
  const QRect area = screenArea(owner);
  const QFont font = text_->font();
  const QFontMetrics metrics(font);
  const int decoration = kDecorationLines * metrics.lineSpacing();
  const QMargins margins = grid_->contentsMargins();
  const int besideText = margins.left() + margins.right() + iconWidth_;
  // The text field wants a pixel or two more than the text: beside it for its cursor, below it
  // before it stops scrolling.
  const int slack = 1 + text_->cursorWidth();
  const int widest = area.width() - decoration - besideText;

  QFont titleFont = font;  // window managers mostly draw titles in bold
  titleFont.setBold(true);
  const int forTitle = QFontMetrics(titleFont).horizontalAdvance(title) +
                       kTitleBarButtonsLines * metrics.height() - besideText;
  const QString shown = text_->toPlainText();
  const int longest = laidOut(shown, font, kUnbounded, QTextOption::NoWrap).width();
  int width = std::min(std::max(longest + slack, forTitle), widest);

  const int tallest = area.height() - decoration - margins.top() - margins.bottom() -
                      grid_->verticalSpacing() - buttons_->sizeHint().height();
  int height = laidOut(shown, font, width - slack, kWrapping).height() + slack;
  // Decided here once: a scroll bar left to come and go as the field lays out narrows the text,
  // which then wraps into one line more and keeps the bar for good.
  const bool scrolls = height > tallest;
  if (scrolls) {
    height = tallest;
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, text_);
    width = std::min(width + scrollBar, widest);
  }
  text_->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  text_->setFixedSize(width, height);
  grid_->activate();
}

// Centred over the owner's window, and wholly on the screen with the window manager's frame.
void MessageBoxDialog::placeOver(const QWidget* owner) {
  const QRect area = screenArea(owner);
  const int decoration = kDecorationLines * QFontMetrics(text_->font()).lineSpacing();
  QRect box({0, 0}, size());
  box.moveCenter(owner ? owner->window()->frameGeometry().center() : area.center());
  const int right = std::max(area.left(), area.right() + 1 - box.width() - decoration);
  const int bottom = std::max(area.top(), area.bottom() + 1 - box.height() - decoration);
  move(std::clamp(box.left(), area.left(), right), std::clamp(box.top(), area.top(), bottom));
}

}  // namespace orvane
