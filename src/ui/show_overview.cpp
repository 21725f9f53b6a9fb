#include "ui/show_overview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "model/numbering.h"
#include "model/running_mode.h"
#include "model/scene_text.h"

namespace kavira {

// The picture of all rows; what it shows and how it answers the mouse is the window's.
class OverviewTiles : public QWidget {
 public:
  explicit OverviewTiles(ShowOverview& owner) : QWidget(&owner), owner_(owner) {
    setObjectName(QStringLiteral("overviewTiles"));
    setFixedSize(ShowOverview::tilesSize());
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter p(this);
    owner_.paintTiles(p, event->rect());
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    if (const auto scene = ShowOverview::sceneAt(at)) {
      owner_.clickScene(*scene, event->modifiers());
    } else if (const auto program = ShowOverview::labelAt(at)) {
      owner_.clickProgram(*program);
    }
  }

  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
    if (const auto scene = ShowOverview::sceneAt(event->position().toPoint()))
      emit owner_.openScene(scene->program, scene->scene);
  }

  bool event(QEvent* event) override {
    if (event->type() == QEvent::ToolTip) {
      auto* help = static_cast<QHelpEvent*>(event);
      if (const auto scene = ShowOverview::sceneAt(help->pos())) {
        QToolTip::showText(help->globalPos(), owner_.tileToolTip(*scene), this,
                           ShowOverview::tileRect(*scene));
      } else {
        QToolTip::hideText();
        event->ignore();
      }
      return true;
    }
    return QWidget::event(event);
  }

 private:
  ShowOverview& owner_;
};

namespace {

constexpr int kRows = static_cast<int>(kProgramCount);
constexpr int kPitch = ShowOverview::kTile + ShowOverview::kGap;  // from one tile to the next
constexpr std::size_t kMostListedChannels = 24;                   // in a tile's tooltip

int Abs(ShowOverview::SceneRef r) {
  return static_cast<int>(Rel2Abs(static_cast<unsigned>(r.program), static_cast<unsigned>(r.scene)));
}
int Count(int program) {
  return static_cast<int>(SceneCount(static_cast<unsigned>(program)));
}
bool IsEmpty(const Scene& scene) {
  return std::ranges::all_of(scene, [](std::uint8_t v) { return v == 0; });
}

// A catalogue text of the core in the program's language (the catalogue's context is "Texts").
QString Shown(const Message& message) {
  return QString::fromStdString(message.Render(
      [](const char* text) { return QCoreApplication::translate("Texts", text).toStdString(); }));
}

// Polish counts take one of three forms: 1 scena, 2-4 sceny (not 12-14), 5 scen.
enum class Plural { One, Few, Many };
Plural PolishPlural(int n) {
  if (n == 1) return Plural::One;
  const int tens = n % 100;
  if (n % 10 >= 2 && n % 10 <= 4 && (tens < 12 || tens > 14)) return Plural::Few;
  return Plural::Many;
}

QString PasteName(int n) {
  switch (PolishPlural(n)) {
    case Plural::One:
      return ShowOverview::tr("wklej %1 scenę").arg(n);
    case Plural::Few:
      return ShowOverview::tr("wklej %1 sceny").arg(n);
    case Plural::Many:
      break;
  }
  return ShowOverview::tr("wklej %1 scen").arg(n);
}

QString ClearName(int n) {
  switch (PolishPlural(n)) {
    case Plural::One:
      return ShowOverview::tr("wyczyść %1 scenę").arg(n);
    case Plural::Few:
      return ShowOverview::tr("wyczyść %1 sceny").arg(n);
    case Plural::Many:
      break;
  }
  return ShowOverview::tr("wyczyść %1 scen").arg(n);
}

QString ModeText(std::uint8_t code) {
  switch (ModeOfSpeed(code)) {
    case RunningMode::Manual:
      return ShowOverview::tr("ręczny");
    case RunningMode::Auto:
      return ShowOverview::tr("auto %1").arg(AutoSpeed(code));
    case RunningMode::Music:
      return ShowOverview::tr("muzyka");
    case RunningMode::Midi:
      break;
  }
  return ShowOverview::tr("MIDI");
}

// A band of `width` pixels along the inside of `r`.
void Frame(QPainter& p, const QRect& r, int width, const QColor& color) {
  p.fillRect(QRect(r.left(), r.top(), r.width(), width), color);
  p.fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), color);
  p.fillRect(QRect(r.left(), r.top() + width, width, r.height() - 2 * width), color);
  p.fillRect(QRect(r.right() - width + 1, r.top() + width, width, r.height() - 2 * width), color);
}

const QColor kEndColor(230, 120, 0);

}  // namespace

ShowOverview::ShowOverview(ControllerImage& image, QWidget* parent)
    : QWidget(parent, Qt::Window), image_(image), drawn_(kSceneCount) {
  setObjectName(QStringLiteral("showOverview"));
  setWindowTitle(tr("Przegląd pokazu"));
  tell = [this](const QString& text) { QMessageBox::information(this, windowTitle(), text); };
  runDialog = [](QDialog& dialog) { return dialog.exec(); };

  tiles_ = new OverviewTiles(*this);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("overviewScroll"));
  scroll->setWidget(tiles_);
  scroll->setWidgetResizable(false);

  collections_ = new QTableWidget(static_cast<int>(kCollectionCount), static_cast<int>(kAreaCount), this);
  collections_->setObjectName(QStringLiteral("collectionsTable"));
  collections_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  collections_->setSelectionMode(QAbstractItemView::NoSelection);
  collections_->setFocusPolicy(Qt::NoFocus);
  QStringList areas;
  for (std::size_t a = 1; a <= kAreaCount; ++a)
    areas << tr("Obszar %1").arg(a);
  collections_->setHorizontalHeaderLabels(areas);
  for (int r = 0; r < collections_->rowCount(); ++r) {
    for (int c = 0; c < collections_->columnCount(); ++c) {
      auto* item = new QTableWidgetItem;
      item->setTextAlignment(Qt::AlignCenter);
      collections_->setItem(r, c, item);
    }
  }
  collections_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  collections_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  collections_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);

  auto* side = new QVBoxLayout;
  side->addWidget(new QLabel(tr("Kolekcje"), this));
  side->addWidget(collections_);
  side->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(scroll, 1);
  layout->addLayout(side);

  const auto action = [this](const QString& text, const QKeySequence& key, void (ShowOverview::*slot)()) {
    auto* a = new QAction(text, this);
    if (!key.isEmpty()) a->setShortcut(key);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(a, &QAction::triggered, this, slot);
    addAction(a);
    tiles_->addAction(a);
    return a;
  };
  copy_ = action(tr("Kopiuj"), QKeySequence::Copy, &ShowOverview::copy);
  paste_ = action(tr("Wklej"), QKeySequence::Paste, &ShowOverview::paste);
  clear_ = action(tr("Wyczyść"), QKeySequence::Delete, &ShowOverview::clearSelected);
  setChannel_ = action(tr("Ustaw kanał..."), QKeySequence(), &ShowOverview::setChannel);
  tiles_->setContextMenuPolicy(Qt::ActionsContextMenu);

  resize(1000, 700);
  renderAll();
}

ShowOverview::~ShowOverview() = default;

QWidget* ShowOverview::tiles() const {
  return tiles_;
}

QSize ShowOverview::tilesSize() {
  return {kLabelWidth + 32 * kPitch, kRows * kRowHeight};
}

QRect ShowOverview::tileRect(SceneRef scene) {
  return {kLabelWidth + scene.scene * kPitch, scene.program * kRowHeight + kGap, kTile, kTile};
}

QRect ShowOverview::labelRect(int program) {
  return {0, program * kRowHeight, kLabelWidth - kGap, kRowHeight};
}

std::optional<ShowOverview::SceneRef> ShowOverview::sceneAt(QPoint point) {
  if (point.y() < 0 || point.x() < kLabelWidth) return std::nullopt;
  const int program = point.y() / kRowHeight;
  const int scene = (point.x() - kLabelWidth) / kPitch;
  if (program >= kRows || scene >= Count(program)) return std::nullopt;
  if (!tileRect({program, scene}).contains(point)) return std::nullopt;  // between tiles
  return SceneRef{program, scene};
}

std::optional<int> ShowOverview::labelAt(QPoint point) {
  const int program = point.y() >= 0 ? point.y() / kRowHeight : -1;
  if (program < 0 || program >= kRows || !labelRect(program).contains(point)) return std::nullopt;
  return program;
}

void ShowOverview::renderTile(std::size_t abs) {
  Tile& t = drawn_[abs];
  t.levels = image_.Sceny[abs];
  t.empty = IsEmpty(t.levels);
  t.drawn = true;
  ++renders_;
  if (t.image.isNull()) t.image = QImage(kTile, kTile, QImage::Format_RGB32);
  // Device d is row d of the picture, channel c its column; each level a kCell x kCell square.
  for (int y = 0; y < kTile; ++y) {
    auto* line = reinterpret_cast<QRgb*>(t.image.scanLine(y));
    const std::uint8_t* levels = t.levels.data() + static_cast<std::ptrdiff_t>(y / kCell) * 16;
    for (int x = 0; x < kTile; ++x) {
      const int v = levels[x / kCell];
      line[x] = qRgb(v, v, v);
    }
  }
}

void ShowOverview::renderAll() {
  for (Tile& t : drawn_)
    t.drawn = false;
  for (Row& r : rows_)
    r.drawn = false;
  showsDrawn_ = false;
  refresh();
  tiles_->update();
}

void ShowOverview::refresh() {
  for (int p = 0; p < kRows; ++p) {
    Row& row = rows_[static_cast<std::size_t>(p)];
    const auto pi = static_cast<std::size_t>(p);
    bool empty = true;
    for (int s = 0; s < Count(p); ++s) {
      const auto abs = static_cast<std::size_t>(Abs({p, s}));
      Tile& t = drawn_[abs];
      if (!t.drawn || t.levels != image_.Sceny[abs]) {
        renderTile(abs);
        tiles_->update(tileRect({p, s}));
      }
      empty = empty && t.empty;
    }
    const bool marksMoved = !row.drawn || row.end != image_.PgmEnds[pi];
    const bool labelChanged = marksMoved || row.speed != image_.PgmSpeed[pi] ||
                              row.fade != image_.PgmFade[pi] || row.empty != empty;
    row = {image_.PgmEnds[pi], image_.PgmSpeed[pi], image_.PgmFade[pi], empty, true};
    if (marksMoved) {
      tiles_->update(0, p * kRowHeight, tiles_->width(), kRowHeight);  // the end mark and the dimming
    } else if (labelChanged) {
      tiles_->update(labelRect(p));
    }
  }
  refreshCollections();
}

void ShowOverview::refreshCollections() {
  for (std::size_t a = 0; a < kAreaCount; ++a) {
    for (std::size_t k = 0; k < kCollectionCount; ++k) {
      const std::uint8_t v = image_.Shows[a][k];
      if (showsDrawn_ && shows_[a][k] == v) continue;
      shows_[a][k] = v;
      QString text;
      if (v == kEmptyCollection) {
        text = QStringLiteral("—");
      } else if (v < kProgramCount) {
        text = QString::number(v + 1);
      } else {
        text = tr("błąd (%1)").arg(v);  // no such program
      }
      collections_->item(static_cast<int>(k), static_cast<int>(a))->setText(text);
    }
  }
  showsDrawn_ = true;
}

void ShowOverview::showEvent(QShowEvent* event) {
  refresh();
  QWidget::showEvent(event);
}

ShowOverview::TileMarks ShowOverview::marks(SceneRef scene) const {
  const Row& row = rows_[static_cast<std::size_t>(scene.program)];
  const int abs = Abs(scene);
  const bool hasEnd = row.end >= 1 && row.end <= Count(scene.program);  // else it ends nowhere
  return {hasEnd && scene.scene + 1 == row.end, hasEnd && scene.scene + 1 > row.end,
          drawn_[static_cast<std::size_t>(abs)].empty, selected_[static_cast<std::size_t>(abs)],
          current_ == scene};
}

bool ShowOverview::programEmpty(int program) const {
  return rows_[static_cast<std::size_t>(program)].empty;
}

QString ShowOverview::programLabel(int program) const {
  const Row& row = rows_[static_cast<std::size_t>(program)];
  QString first = tr("Program %1").arg(program + 1);
  if (row.empty) first += QLatin1Char(' ') + tr("(pusty)");
  return first + QLatin1Char('\n') + ModeText(row.speed) + QStringLiteral(", ") +
         tr("fading %1").arg(row.fade);
}

QString ShowOverview::tileToolTip(SceneRef scene) const {
  const int abs = Abs(scene);
  const TileMarks m = marks(scene);
  QStringList lines{tr("Program %1, scena %2 (%3)").arg(scene.program + 1).arg(scene.scene + 1).arg(abs)};
  if (m.end) lines << tr("koniec programu");
  if (m.pastEnd) lines << tr("za końcem programu");
  const Scene& levels = drawn_[static_cast<std::size_t>(abs)].levels;
  QStringList items;
  bool more = false;
  for (unsigned d = 1; d <= 16 && !more; ++d) {
    for (unsigned c = 1; c <= 16; ++c) {
      const std::uint8_t v = levels[ChannelIndex(d, c)];
      if (v == 0) continue;
      if (static_cast<std::size_t>(items.size()) == kMostListedChannels) {
        more = true;
        break;
      }
      items << tr("urz. %1 kan. %2 = %3").arg(d).arg(c).arg(v);
    }
  }
  if (items.isEmpty()) lines << tr("pusta scena");
  for (qsizetype i = 0; i < items.size(); i += 4)
    lines << items.mid(i, 4).join(QStringLiteral(", "));
  if (more) lines << QStringLiteral("…");
  return lines.join(QLatin1Char('\n'));
}

const QImage& ShowOverview::tileImage(SceneRef scene) const {
  return drawn_[static_cast<std::size_t>(Abs(scene))].image;
}

void ShowOverview::paintTiles(QPainter& p, const QRect& area) const {
  p.fillRect(area, palette().color(QPalette::Window));
  const int first = std::max(0, area.top() / kRowHeight);
  const int last = std::min(kRows - 1, area.bottom() / kRowHeight);
  for (int program = first; program <= last; ++program)
    paintRow(p, program);
}

void ShowOverview::paintRow(QPainter& p, int program) const {
  const QPalette& pal = palette();
  const QRect label = labelRect(program);
  const bool chosen = selectedProgram_ == program;
  if (chosen) p.fillRect(label.adjusted(2, 2, 0, -2), pal.color(QPalette::Highlight));
  const QPalette::ColorGroup group = programEmpty(program) ? QPalette::Disabled : QPalette::Active;
  p.setPen(pal.color(group, chosen ? QPalette::HighlightedText : QPalette::WindowText));
  p.drawText(label.adjusted(8, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, programLabel(program));

  QColor dim = pal.color(QPalette::Window);
  dim.setAlpha(170);
  const QColor emptyColor = pal.color(QPalette::Disabled, QPalette::WindowText);
  QPen dashed(emptyColor, 1, Qt::DashLine);
  for (int s = 0; s < Count(program); ++s) {
    const SceneRef ref{program, s};
    const QRect r = tileRect(ref);
    const TileMarks m = marks(ref);
    if (m.empty) {
      // Nothing lit: an outline with the empty-set sign, unlike any dark picture.
      p.setPen(dashed);
      p.drawRect(r.adjusted(0, 0, -1, -1));
      p.setPen(emptyColor);
      p.drawText(r, Qt::AlignCenter, QStringLiteral("∅"));
    } else {
      p.drawImage(r.topLeft(), drawn_[static_cast<std::size_t>(Abs(ref))].image);
    }
    if (m.pastEnd) p.fillRect(r, dim);
    // Around the tile, from the inside out: the choice, the paste start, the end scene.
    if (m.selected) Frame(p, r.adjusted(-2, -2, 2, 2), 2, pal.color(QPalette::Highlight));
    if (m.current) Frame(p, r.adjusted(-3, -3, 3, 3), 1, pal.color(QPalette::WindowText));
    if (m.end) Frame(p, r.adjusted(-5, -5, 5, 5), 2, kEndColor);
  }
}

void ShowOverview::clickScene(SceneRef scene, Qt::KeyboardModifiers modifiers) {
  const auto abs = static_cast<std::size_t>(Abs(scene));
  if (modifiers.testFlag(Qt::ShiftModifier) && anchor_ && anchor_->program == scene.program) {
    // A run within the program, from where the last plain click started it.
    selected_.reset();
    const int from = std::min(anchor_->scene, scene.scene);
    const int to = std::max(anchor_->scene, scene.scene);
    for (int s = from; s <= to; ++s)
      selected_.set(static_cast<std::size_t>(Abs({scene.program, s})));
  } else if (modifiers.testFlag(Qt::ControlModifier)) {
    if (selectedProgram_) selected_.reset();
    selected_.flip(abs);
    anchor_ = scene;
  } else {
    selected_.reset();
    selected_.set(abs);
    anchor_ = scene;
  }
  selectedProgram_.reset();
  current_ = scene;
  tiles_->update();
}

void ShowOverview::clickProgram(int program) {
  selectOnly(Abs({program, 0}), Abs({program, Count(program) - 1}));
  selectedProgram_ = program;
  current_ = anchor_ = SceneRef{program, 0};
  tiles_->update();
}

void ShowOverview::selectOnly(int firstAbs, int lastAbs) {
  selected_.reset();
  for (int a = firstAbs; a <= lastAbs; ++a)
    selected_.set(static_cast<std::size_t>(a));
  selectedProgram_.reset();
}

std::vector<int> ShowOverview::selectedScenes() const {
  std::vector<int> scenes;
  for (std::size_t a = 0; a < kSceneCount; ++a)
    if (selected_[a]) scenes.push_back(static_cast<int>(a));
  return scenes;
}

void ShowOverview::copy() {
  std::vector<Scene> scenes;
  auto mime = std::make_unique<QMimeData>();
  if (selectedProgram_) {
    const int p = *selectedProgram_;
    const auto pi = static_cast<std::size_t>(p);
    QByteArray bytes;
    for (const int v :
         {p, Count(p), int{image_.PgmEnds[pi]}, int{image_.PgmSpeed[pi]}, int{image_.PgmFade[pi]}})
      bytes.append(static_cast<char>(v));
    for (int s = 0; s < Count(p); ++s)
      scenes.push_back(image_.Sceny[static_cast<std::size_t>(Abs({p, s}))]);
    for (const Scene& scene : scenes)
      bytes.append(reinterpret_cast<const char*>(scene.data()), static_cast<qsizetype>(scene.size()));
    mime->setData(QString::fromLatin1(kProgramMime), bytes);
  } else {
    QByteArray bytes;
    for (const int a : selectedScenes()) {
      const Scene& scene = image_.Sceny[static_cast<std::size_t>(a)];
      scenes.push_back(scene);
      bytes.append(reinterpret_cast<const char*>(scene.data()), static_cast<qsizetype>(scene.size()));
    }
    if (scenes.empty()) return;
    mime->setData(QString::fromLatin1(kScenesMime), bytes);
  }
  mime->setText(QString::fromStdString(ScenesToText(scenes)));
  QApplication::clipboard()->setMimeData(mime.release());
}

void ShowOverview::paste() {
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  if (mime != nullptr && mime->hasFormat(QString::fromLatin1(kProgramMime))) {
    pasteProgram(mime->data(QString::fromLatin1(kProgramMime)));
    return;
  }
  std::vector<Scene> scenes;
  if (mime != nullptr && mime->hasFormat(QString::fromLatin1(kScenesMime))) {
    const QByteArray bytes = mime->data(QString::fromLatin1(kScenesMime));
    const auto size = static_cast<std::size_t>(bytes.size());
    if (size == 0 || size % kSceneBytes != 0 || size > kSceneCount * kSceneBytes) {
      tell(tr("Sceny w schowku są uszkodzone. Nic nie wklejono."));
      return;
    }
    scenes.resize(size / kSceneBytes);
    for (std::size_t i = 0; i < scenes.size(); ++i)
      std::copy_n(bytes.constData() + i * kSceneBytes, kSceneBytes, scenes[i].begin());
  } else if (mime != nullptr && mime->hasText()) {
    auto parsed = ParseScenesText(mime->text().toStdString());
    if (const auto* error = std::get_if<SceneTextError>(&parsed)) {
      tell(Shown(error->text()) + QLatin1Char('\n') + tr("Nic nie wklejono."));
      return;
    }
    scenes = std::move(std::get<std::vector<Scene>>(parsed));
  } else {
    tell(tr("Schowek nie zawiera scen."));
    return;
  }
  pasteScenes(scenes);
}

void ShowOverview::pasteScenes(const std::vector<Scene>& scenes) {
  if (!current_) {
    tell(tr("Wybierz scenę, od której wkleić."));
    return;
  }
  const SceneRef at = *current_;
  const int room = Count(at.program) - at.scene;
  const int fits = std::min(room, static_cast<int>(scenes.size()));
  bool changed = false;
  for (int i = 0; i < fits; ++i) {
    Scene& target = image_.Sceny[static_cast<std::size_t>(Abs({at.program, at.scene + i}))];
    changed = changed || target != scenes[static_cast<std::size_t>(i)];
    target = scenes[static_cast<std::size_t>(i)];
  }
  selectOnly(Abs(at), Abs({at.program, at.scene + fits - 1}));
  anchor_ = at;
  tiles_->update();
  if (changed) afterEdit(PasteName(fits));
  if (fits < static_cast<int>(scenes.size())) {
    tell(tr("Wklejono %1 z %2 scen : w programie %3 nie ma miejsca na resztę.")
             .arg(fits)
             .arg(scenes.size())
             .arg(at.program + 1));
  }
}

void ShowOverview::pasteProgram(const QByteArray& bytes) {
  const std::optional<int> target = selectedProgram_ ? selectedProgram_
                                    : current_       ? std::optional<int>(current_->program)
                                                     : std::nullopt;
  if (!target) {
    tell(tr("Wybierz program, do którego wkleić."));
    return;
  }
  constexpr qsizetype kHead = 5;
  const auto byte = [&bytes](qsizetype i) { return static_cast<std::uint8_t>(bytes[i]); };
  const int source = bytes.size() >= kHead ? byte(0) : -1;
  const int count = bytes.size() >= kHead ? byte(1) : 0;
  if (source < 0 || source >= kRows || count < 1 || count > 32 ||
      bytes.size() != kHead + count * static_cast<qsizetype>(kSceneBytes)) {
    tell(tr("Program w schowku jest uszkodzony. Nic nie wklejono."));
    return;
  }
  const int p = *target;
  const auto pi = static_cast<std::size_t>(p);
  const int targetCount = Count(p);
  const int n = std::min(count, targetCount);
  const int end = byte(2);
  const int keptEnd = std::min(end, targetCount);
  bool changed =
      image_.PgmEnds[pi] != keptEnd || image_.PgmSpeed[pi] != byte(3) || image_.PgmFade[pi] != byte(4);
  image_.PgmEnds[pi] = static_cast<std::uint8_t>(keptEnd);
  image_.PgmSpeed[pi] = byte(3);
  image_.PgmFade[pi] = byte(4);
  for (int s = 0; s < n; ++s) {
    Scene scene{};
    std::copy_n(bytes.constData() + kHead + s * static_cast<qsizetype>(kSceneBytes), kSceneBytes,
                scene.begin());
    Scene& into = image_.Sceny[static_cast<std::size_t>(Abs({p, s}))];
    changed = changed || into != scene;
    into = scene;
  }
  if (changed) afterEdit(tr("wklej program %1 do programu %2").arg(source + 1).arg(p + 1));

  QStringList notes;
  if (count > targetCount) {
    notes << tr("Wklejono %1 z %2 scen programu %3 : program %4 ma ich tylko %1.")
                 .arg(n)
                 .arg(count)
                 .arg(source + 1)
                 .arg(p + 1);
  } else if (count < targetCount) {
    notes << tr("Wklejono %1 scen programu %2 : sceny od %3 do %4 programu %5 są bez zmian.")
                 .arg(n)
                 .arg(source + 1)
                 .arg(n + 1)
                 .arg(targetCount)
                 .arg(p + 1);
  }
  if (keptEnd != end) {
    notes << tr("Koniec programu, scena %1, przeniesiono na jego ostatnią scenę, %2.").arg(end).arg(keptEnd);
  }
  if (!notes.isEmpty()) tell(notes.join(QLatin1Char('\n')));
}

void ShowOverview::clearSelected() {
  const std::vector<int> scenes = selectedScenes();
  bool changed = false;
  for (const int a : scenes) {
    Scene& scene = image_.Sceny[static_cast<std::size_t>(a)];
    changed = changed || !IsEmpty(scene);
    scene.fill(0);
  }
  if (changed) afterEdit(ClearName(static_cast<int>(scenes.size())));
}

void ShowOverview::setChannel() {
  SetChannelDialog::Setting initial = lastSetting_;
  const int program = selectedProgram_ ? *selectedProgram_ : current_ ? current_->program : 0;
  initial.program = static_cast<unsigned>(program + 1);
  initial.sceneFrom = 1;
  initial.sceneTo = static_cast<unsigned>(Count(program));
  SetChannelDialog dialog(initial, this);
  if (runDialog(dialog) != QDialog::Accepted) return;
  const SetChannelDialog::Setting& s = dialog.setting();
  lastSetting_ = s;
  const std::size_t channel = ChannelIndex(s.device, s.channel);
  bool changed = false;
  for (unsigned scene = s.sceneFrom; scene <= s.sceneTo; ++scene) {
    std::uint8_t& level = image_.Sceny[Rel2Abs(s.program - 1, scene - 1)][channel];
    changed = changed || level != s.level;
    level = s.level;
  }
  if (changed) afterEdit(tr("ustaw kanał"));
}

void ShowOverview::afterEdit(const QString& name) {
  refresh();
  emit edited(name);
}

}  // namespace kavira
