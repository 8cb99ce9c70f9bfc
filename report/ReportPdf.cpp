#include "ReportPdf.h"

#include "ProgramVersion.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStandardPaths>
#include <algorithm>
#include <vector>

namespace {

// One thing drawn on a page: a heading, a line of text or the verdict box.
struct Block {
    enum class Kind { Heading, Line, Verdict } kind;
    std::vector<QString> lines;
    double height = 0;
};

constexpr double Margin = 50; // points (the writer draws at 72 per inch)
constexpr double HeaderRoom = 46;
constexpr double FooterRoom = 30;

// Letters as they are, never joined into ligatures: an id or a hash copied
// out of the report (or read back by a program) is the one printed.
QFont plainFont(double points) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

QFont fontFor(Block::Kind kind) {
    QFont f = plainFont(9.5);
    f.setPointSizeF(kind == Block::Kind::Heading ? 11.5 : 9.5);
    f.setBold(kind != Block::Kind::Line);
    return f;
}

double heightOf(const Block& b, double width, QPaintDevice* device) {
    const QFontMetricsF fm(fontFor(b.kind), device);
    double h = b.kind == Block::Kind::Heading ? 10 : 2;
    for (const QString& line : b.lines) {
        h += fm.boundingRect(QRectF(0, 0, width - (b.kind == Block::Kind::Verdict ? 16 : 0), 1e6), Qt::TextWordWrap,
                             line)
                 .height() +
             2;
    }
    return b.kind == Block::Kind::Verdict ? h + 16 : h;
}

std::vector<Block> blocksOf(const ReportDocument& d) {
    std::vector<Block> blocks;
    auto add = [&blocks](Block::Kind kind, std::vector<QString> lines) {
        blocks.push_back({kind, std::move(lines), 0});
    };
    for (std::size_t s = 0; s < d.sections.size(); ++s) {
        const auto& section = d.sections[s];
        if (section.heading == "Statement") {
            std::vector<QString> verdict;
            for (const std::string& v : d.verdict) {
                verdict.push_back(QString::fromStdString(v));
            }
            add(Block::Kind::Heading, {QStringLiteral("Verdict")});
            add(Block::Kind::Verdict, verdict);
        }
        add(Block::Kind::Heading, {QString::fromStdString(section.heading)});
        for (const std::string& line : section.lines) {
            add(Block::Kind::Line, {QString::fromStdString(line)});
        }
    }
    add(Block::Kind::Heading, {QString::fromStdString(d.endMark())});
    return blocks;
}

void drawBlock(QPainter& p, const Block& b, double x, double y, double width) {
    p.setFont(fontFor(b.kind));
    double top = y + (b.kind == Block::Kind::Heading ? 8 : 0);
    const double inset = b.kind == Block::Kind::Verdict ? 8 : 0;
    if (b.kind == Block::Kind::Verdict) {
        p.setPen(QPen(Qt::black, 1.5));
        p.drawRect(QRectF(x, y, width, b.height - 4));
        top += 8;
    }
    for (const QString& line : b.lines) {
        const QRectF r = p.boundingRect(QRectF(x + inset, top, width - 2 * inset, 1e6), Qt::TextWordWrap, line);
        p.drawText(QRectF(x + inset, top, width - 2 * inset, r.height()), Qt::TextWordWrap, line);
        top += r.height() + 2;
    }
}

} // namespace

bool writeReportPdf(const ReportDocument& d, const std::string& path, std::string& why) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        why = "cannot write " + path + ": " + file.errorString().toStdString();
        return false;
    }
    QPdfWriter writer(&file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setTitle(QString::fromStdString(d.title + " " + d.id));
    writer.setCreator(QStringLiteral("transformer-efficiency"));
    const double pageWidth = writer.width(), pageHeight = writer.height();
    const double width = pageWidth - 2 * Margin;
    const double bottom = pageHeight - Margin - FooterRoom;

    std::vector<Block> blocks = blocksOf(d);
    std::vector<std::vector<std::size_t>> pages(1);
    double y = Margin + HeaderRoom;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        blocks[i].height = heightOf(blocks[i], width, &writer);
        // A heading is not left alone at a page's foot.
        const double needs = blocks[i].height + (blocks[i].kind == Block::Kind::Heading && i + 1 < blocks.size()
                                                     ? heightOf(blocks[i + 1], width, &writer)
                                                     : 0);
        if (y + needs > bottom && !pages.back().empty()) {
            pages.emplace_back();
            y = Margin + HeaderRoom;
        }
        pages.back().push_back(i);
        y += blocks[i].height;
    }

    QPainter painter;
    if (!painter.begin(&writer)) {
        why = "cannot draw the report into " + path;
        return false;
    }
    const QString n = QString::number(pages.size());
    for (std::size_t k = 0; k < pages.size(); ++k) {
        if (k > 0) {
            writer.newPage();
        }
        QFont title = plainFont(14);
        title.setBold(true);
        painter.setFont(title);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(Margin, Margin, width, 20), Qt::AlignLeft, QString::fromStdString(d.title));
        const QFont small = plainFont(8.5);
        painter.setFont(small);
        const QString idLine =
            QStringLiteral("Report %1").arg(QString::fromStdString(d.id)) +
            (d.replaces.empty() ? QString() : QStringLiteral(" (replaces %1)").arg(QString::fromStdString(d.replaces)));
        const QString pageLine = QStringLiteral("page %1 of %2").arg(k + 1).arg(n);
        painter.drawText(QRectF(Margin, Margin + 22, width, 14), Qt::AlignLeft, idLine);
        painter.drawText(QRectF(Margin, Margin + 22, width, 14), Qt::AlignRight, pageLine);
        painter.drawLine(QPointF(Margin, Margin + 38), QPointF(pageWidth - Margin, Margin + 38));
        painter.drawText(QRectF(Margin, pageHeight - Margin - 12, width, 14), Qt::AlignLeft, idLine);
        painter.drawText(QRectF(Margin, pageHeight - Margin - 12, width, 14), Qt::AlignRight, pageLine);
        double top = Margin + HeaderRoom;
        for (std::size_t i : pages[k]) {
            drawBlock(painter, blocks[i], Margin, top, width);
            top += blocks[i].height;
        }
    }
    painter.end();
    file.flush();
    if (file.error() != QFileDevice::NoError) {
        why = "cannot write " + path + ": " + file.errorString().toStdString();
        return false;
    }
    return true;
}

std::string issueReport(const ReportDocument& d, const std::string& folder, std::string& why) {
    const std::string pdf = reportFileName(d, "pdf");
    if (!writeReportPdf(d, folder + "/" + pdf, why)) {
        return {};
    }
    QFile json(QString::fromStdString(folder + "/" + reportFileName(d, "json")));
    const std::string bytes = reportJson(d);
    if (!json.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        json.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        why = "cannot keep the report's text beside it: " + json.errorString().toStdString();
    }
    return pdf;
}

std::string issueAmendment(const std::string& folder, const std::string& reportId, const std::string& correction,
                           std::string& why) {
    const QString id = QString::fromStdString(reportId);
    const auto slash = id.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0) {
        why = "\"" + reportId + "\" is not a report's id (<unit test id>/<issue>)";
        return {};
    }
    const QString unitTestId = id.left(slash);
    if (std::any_of(unitTestId.begin(), unitTestId.end(),
                    [](QChar c) { return !c.isLetterOrNumber() && c != QLatin1Char('-'); })) {
        why = "\"" + reportId + "\" is not a report's id (<unit test id>/<issue>)";
        return {};
    }
    // Every issue of that test in the folder: the one named, and the last.
    const QStringList files =
        QDir(QString::fromStdString(folder))
            .entryList({QStringLiteral("report-*-%1*.json").arg(unitTestId)}, QDir::Files, QDir::Name);
    std::optional<ReportDocument> named;
    int lastIssue = 0;
    for (const QString& name : files) {
        QFile f(QDir(QString::fromStdString(folder)).filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            continue;
        }
        if (auto d = reportFromJson(f.read(1 << 22).toStdString()); d && d->unitTestId == unitTestId.toStdString()) {
            lastIssue = std::max(lastIssue, d->issue);
            if (d->id == reportId) {
                named = d;
            }
        }
    }
    if (!named) {
        why = "no report " + reportId + " in " + folder;
        return {};
    }
    if (named->issue != lastIssue) {
        why = "report " + reportId + " was replaced already: amend " + unitTestId.toStdString() + "/" +
              std::to_string(lastIssue);
        return {};
    }
    return issueReport(amendedReport(*named, correction, QDateTime::currentDateTime()), folder, why);
}

std::string labProfilePath() {
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
            QLatin1String(ProgramName) + QStringLiteral("/lab.json"))
        .toStdString();
}
