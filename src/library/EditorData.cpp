#include "EditorData.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>

namespace {
// Names are bytes, not always UTF-8: kept as hex so that they come back byte for byte.
QJsonObject keyToJson(const MaterialKey &key)
{
    return {{QStringLiteral("id"), key.id},
            {QStringLiteral("name"), QString::fromLatin1(QByteArray::fromStdString(key.name).toHex())},
            {QStringLiteral("manu"), QString::fromLatin1(QByteArray::fromStdString(key.manu).toHex())}};
}

MaterialKey keyFromJson(const QJsonObject &json)
{
    return {json.value(QStringLiteral("id")).toInt(),
            QByteArray::fromHex(json.value(QStringLiteral("name")).toString().toLatin1()).toStdString(),
            QByteArray::fromHex(json.value(QStringLiteral("manu")).toString().toLatin1()).toStdString()};
}

// Larger files are not this data.
constexpr qint64 kMaxBytes = qint64(64) << 20;
} // namespace

EditorData::Link EditorData::LinkOf(const CPrintMaterial &mat) const
{
    const auto found = m_links.find(MaterialKey::Of(mat));
    return found == m_links.end() ? Link() : found->second;
}

QJsonObject EditorData::ToJsonObject() const
{
    QJsonArray materials;
    for (const auto &entry : m_links) {
        QJsonObject item = keyToJson(entry.first);
        const Link &link = entry.second;
        if (!link.own)
            item.insert(QStringLiteral("vendor"), keyToJson(link.vendor));
        QJsonArray parents;
        for (const MaterialKey &parent : link.parents)
            parents.append(keyToJson(parent));
        if (!parents.isEmpty())
            item.insert(QStringLiteral("parents"), parents);
        if (link.hasParentVendor)
            item.insert(QStringLiteral("parentVendor"), keyToJson(link.parentVendor));
        if (!link.gone.empty())
            item.insert(QStringLiteral("parentGone"),
                        QString::fromLatin1(QByteArray::fromStdString(link.gone).toHex()));
        if (link.flowLimit > 0.0)
            item.insert(QStringLiteral("flowLimit"), link.flowLimit);
        materials.append(item);
    }
    return QJsonObject{{QStringLiteral("materials"), materials}};
}

QByteArray EditorData::ToJson() const
{
    return QJsonDocument(ToJsonObject()).toJson(QJsonDocument::Compact);
}

EditorData EditorData::FromJson(const QByteArray &json)
{
    return FromJsonObject(QJsonDocument::fromJson(json).object());
}

EditorData EditorData::FromJsonObject(const QJsonObject &json)
{
    EditorData data;
    for (const QJsonValue &value : json.value(QStringLiteral("materials")).toArray()) {
        const QJsonObject item = value.toObject();
        Link link;
        link.known = true;
        link.own = !item.contains(QStringLiteral("vendor"));
        if (!link.own)
            link.vendor = keyFromJson(item.value(QStringLiteral("vendor")).toObject());
        for (const QJsonValue &parent : item.value(QStringLiteral("parents")).toArray())
            link.parents.push_back(keyFromJson(parent.toObject()));
        link.hasParentVendor = item.contains(QStringLiteral("parentVendor"));
        if (link.hasParentVendor)
            link.parentVendor = keyFromJson(item.value(QStringLiteral("parentVendor")).toObject());
        link.gone =
            QByteArray::fromHex(item.value(QStringLiteral("parentGone")).toString().toLatin1()).toStdString();
        // A limit that is no positive number is none.
        link.flowLimit = std::max(0.0, item.value(QStringLiteral("flowLimit")).toDouble());
        data.m_links[keyFromJson(item)] = link;
    }
    return data;
}

EditorData EditorData::Read(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error && file.exists())
            *error = file.errorString();
        return EditorData();
    }
    return FromJson(file.read(kMaxBytes));
}

bool EditorData::Write(const QString &path, QString *error) const
{
    QSaveFile file(path);
    const QByteArray json = ToJson() + '\n';
    if (file.open(QIODevice::WriteOnly) && file.write(json) == json.size() && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}
