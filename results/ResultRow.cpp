#include "ResultRow.h"

#include "FigureCatalogue.h"

#include <QHash>
#include <deque>
#include <mutex>

namespace {

// Every text any row holds, each once; never shrinks (a text's index must
// stay good while a row may hold it).
struct TextTable {
    std::mutex mutex;
    std::deque<QString> texts{QString()};
    QHash<QString, quint32> indexes{{QString(), 0}};
};
TextTable& table() {
    static TextTable t;
    return t;
}

} // namespace

RowText::RowText(const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    TextTable& t = table();
    std::lock_guard lock(t.mutex);
    const auto at = t.indexes.constFind(text);
    if (at != t.indexes.constEnd()) {
        index_ = *at;
        return;
    }
    index_ = static_cast<quint32>(t.texts.size());
    t.texts.push_back(text);
    t.indexes.insert(text, index_);
}

const QString& RowText::text() const {
    TextTable& t = table();
    std::lock_guard lock(t.mutex);
    return t.texts[index_];
}

const std::vector<const CatalogueFigure*>& moreFiguresShown() {
    static const std::vector<const CatalogueFigure*> shown = [] {
        std::vector<const CatalogueFigure*> figures;
        for (const CatalogueFigure& f : figureCatalogue()) {
            if (f.compute != nullptr && figures.size() < ResultRow::MoreFiguresShown) {
                figures.push_back(&f);
            }
        }
        return figures;
    }();
    return shown;
}
