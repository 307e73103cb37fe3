#include "ManualPage.h"

#include <QRegularExpression>

#include <algorithm>

namespace ManualPage {

namespace {

constexpr int kLegendColumns = 3;  // number-and-name pairs a row

QString Picture(const ManualFigure& figure)
{
    const QSizeF logical = QSizeF(figure.image.size()) / figure.image.devicePixelRatio();
    const int width = std::min(kTextWidth, qRound(logical.width()));
    const int height = qRound(logical.height() * width / logical.width());
    return QStringLiteral("<p align=\"center\"><img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"\"></p>\n")
        .arg(PictureFile(figure.name))
        .arg(width)
        .arg(height);
}

QString Legend(const std::vector<BarPicture::Entry>& legend)
{
    if (legend.empty())
        return {};
    QString html = QStringLiteral("<table class=\"legend\" width=\"100%\">\n");
    const size_t rows = (legend.size() + kLegendColumns - 1) / kLegendColumns;
    // Numbers run down the columns, as a reader scans a list.
    for (size_t row = 0; row < rows; ++row) {
        html += QStringLiteral("<tr>");
        for (size_t column = 0; column < kLegendColumns; ++column) {
            const size_t i = column * rows + row;
            if (i < legend.size())
                html += QStringLiteral("<td width=\"5%\"><b>%1</b></td><td width=\"28%\">%2</td>")
                            .arg(legend[i].number)
                            .arg(legend[i].name.toHtmlEscaped());
            else
                html += QStringLiteral("<td width=\"5%\"></td><td width=\"28%\"></td>");
        }
        html += QStringLiteral("</tr>\n");
    }
    return html + QStringLiteral("</table>\n");
}

}  // namespace

QString PictureFile(const QString& name)
{
    return QStringLiteral("pictures/%1.png").arg(name);
}

std::optional<QString> Expand(const QString& html, const std::vector<ManualFigure>& figures, QString* error)
{
    static const QRegularExpression marker(QStringLiteral("^[ \\t]*<!--\\s*picture:\\s*(\\S+)\\s*-->[ \\t]*\\n?"),
                                           QRegularExpression::MultilineOption);
    QString expanded;
    qsizetype done = 0;
    for (const QRegularExpressionMatch& match : marker.globalMatch(html)) {
        const QString name = match.captured(1);
        const auto figure = std::find_if(figures.begin(), figures.end(),
                                         [&name](const ManualFigure& f) { return f.name == name; });
        if (figure == figures.end()) {
            if (error)
                *error = QStringLiteral("the manual asks for a picture \"%1\", which is not drawn").arg(name);
            return std::nullopt;
        }
        expanded += html.mid(done, match.capturedStart() - done);
        expanded += Picture(*figure) + Legend(figure->legend);
        done = match.capturedEnd();
    }
    return expanded + html.mid(done);
}

}  // namespace ManualPage
