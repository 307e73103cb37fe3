#include "NoteInfo.h"

#include "ink/CLines.h"
#include "pictures/CPictureList.h"

#include <QJsonArray>

namespace {

QJsonArray RectArray(const RECT& rect)
{
    return {qint64(rect.left), qint64(rect.top), qint64(rect.right), qint64(rect.bottom)};
}

QJsonObject StrokeInfo(const CLine& line)
{
    QJsonArray points;
    for (const StrokePoint& point : line.Points())
        points.append(QJsonArray{qint64(point.x), qint64(point.y), int(point.width)});
    return {
        {QStringLiteral("penType"), int(line.GetPenType())},
        {QStringLiteral("color"), qint64(line.GetColor())},
        {QStringLiteral("maskPen"), int(line.GetMaskPen())},
        {QStringLiteral("inkRendered"), qint64(line.IsInkRendered())},
        {QStringLiteral("bounds"), RectArray(line.GetBounds())},
        {QStringLiteral("points"), points},
    };
}

QJsonObject PictureInfo(const CPictureItem& picture)
{
    return {
        {QStringLiteral("width"), picture.GetWidth()},
        {QStringLiteral("height"), picture.GetHeight()},
        {QStringLiteral("rect"), RectArray(picture.GetRect())},
    };
}

}  // namespace

QJsonObject NoteInfo(const PageSettings& page, const CLines& lines, const CPictureList& pictures, bool listStrokes)
{
    qint64 points = 0;
    for (int i = 0; i < lines.GetCount(); ++i)
        points += lines.GetAt(i)->GetPointCount();

    QJsonObject info{
        {QStringLiteral("format"), QStringLiteral("note")},
        {QStringLiteral("background"), qint64(page.background)},
        {QStringLiteral("lineColor"), qint64(page.lineColor)},
        {QStringLiteral("lineHeight"), qint64(page.lineHeight)},
        {QStringLiteral("page"), RectArray(page.page)},
        {QStringLiteral("strokes"), lines.GetCount()},
        {QStringLiteral("points"), points},
        {QStringLiteral("pictures"), pictures.GetCount()},
    };
    if (!listStrokes)
        return info;

    QJsonArray strokeList;
    for (int i = 0; i < lines.GetCount(); ++i)
        strokeList.append(StrokeInfo(*lines.GetAt(i)));
    QJsonArray pictureList;
    for (int i = 0; i < pictures.GetCount(); ++i)
        pictureList.append(PictureInfo(*pictures.GetAt(i)));
    info.insert(QStringLiteral("strokeList"), strokeList);
    info.insert(QStringLiteral("pictureList"), pictureList);
    return info;
}
