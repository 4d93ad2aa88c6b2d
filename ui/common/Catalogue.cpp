#include "ui/common/Catalogue.h"

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QSet>
#include <QTranslator>
#include <QVariant>
#include <QWidget>
#include <memory>

#include "ui/common/AppFolder.h"

namespace vk47 {
namespace {

constexpr char kContext[] = "vk47";

// The catalogue of the hiragana mode. Every text stands in the context
// "vk47" (translations/flatten.py), whatever context Qt asks for: the
// window's own texts come through Tr, and the few that Qt's widgets ask for
// themselves are found by their text alone.
class KanaTranslator : public QTranslator {
 public:
  QString translate(const char*, const char* source, const char* disambiguation, int n) const override {
    return QTranslator::translate(kContext, source, disambiguation, n);
  }
};

struct State {
  std::unique_ptr<KanaTranslator> translator;  // installed while the mode is on
  QSet<QByteArray> sources;                    // every text that went through Tr
};

State& Current() {
  static State state;
  return state;
}

QString Translated(const char* source) {
  const State& state = Current();
  if (state.translator) {
    const QString text = state.translator->translate(kContext, source, nullptr, -1);
    if (!text.isEmpty()) return text;
  }
  return QString::fromUtf8(source);
}

// The properties through which a widget or an action shows a text.
constexpr const char* kTextProperties[] = {"text",     "title",          "windowTitle",
                                           "toolTip",  "accessibleName", "accessibleDescription",
                                           "statusTip"};

void Reapply(QObject* object, const QHash<QString, QByteArray>& sources) {
  for (const char* name : kTextProperties) {
    const int index = object->metaObject()->indexOfProperty(name);
    if (index < 0) continue;
    const QVariant value = object->property(name);
    if (value.typeId() != QMetaType::QString) continue;
    const auto found = sources.constFind(value.toString());
    if (found != sources.constEnd()) object->setProperty(name, Translated(found->constData()));
  }
}

}  // namespace

QString Tr(const char* source) {
  Current().sources.insert(QByteArray(source));
  return Translated(source);
}

QString TrWords(const Words& words) {
  QString text = words.source == "%1" ? QStringLiteral("%1") : Tr(words.source.c_str());
  // Values are put in one pass, so a value holding "%2" stays as it is.
  QString result;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'9') {
      const auto index = static_cast<std::size_t>(text[i + 1].unicode() - u'1');
      if (index < words.args.size()) {
        result += QString::fromStdString(words.args[index]);
        ++i;
        continue;
      }
    }
    result += text[i];
  }
  return result;
}

QString TrLine(const WordsLine& line) {
  QString text;
  for (const Words& piece : line) text += TrWords(piece);
  return text;
}

namespace {

QString JoinLines(const std::vector<Words>& lines) {
  QStringList texts;
  for (const Words& line : lines) texts << TrWords(line);
  return texts.join(u'\n');
}

}  // namespace

QString NoticeDetailsText(const Notice& notice) { return JoinLines(notice.details); }
QString NoticeReasonText(const Notice& notice) { return notice.reason.empty() ? QString() : TrWords(notice.reason); }

bool KanaMode() { return Current().translator != nullptr; }

bool SetKanaMode(bool on, const QString& folder) {
  State& state = Current();
  if (on == KanaMode()) return true;
  std::unique_ptr<KanaTranslator> next;
  if (on) {
    next = std::make_unique<KanaTranslator>();
    const QString where = folder.isEmpty() ? ApplicationFolder() + QStringLiteral("translations") : folder;
    if (!next->load(QStringLiteral("vk47_kana"), where)) return false;
  }
  // What each shown text was in the old mode, and the text it stands for.
  QHash<QString, QByteArray> sources;
  for (const QByteArray& source : state.sources) sources.insert(Translated(source.constData()), source);
  if (state.translator) QCoreApplication::removeTranslator(state.translator.get());
  state.translator = std::move(next);
  if (state.translator) QCoreApplication::installTranslator(state.translator.get());

  for (QWidget* widget : QApplication::allWidgets()) {
    Reapply(widget, sources);
    for (QAction* action : widget->actions()) Reapply(action, sources);
    for (QAction* action : widget->findChildren<QAction*>(Qt::FindDirectChildrenOnly)) Reapply(action, sources);
  }
  emit KanaModeNotifier().Changed(on);
  return true;
}

KanaModeSignal& KanaModeNotifier() {
  static KanaModeSignal signal;
  return signal;
}

}  // namespace vk47
