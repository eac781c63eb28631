#pragma once

#include "core/PrintMaterial.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <map>
#include <string>
#include <tuple>
#include <vector>

// A material's identity as files hold it: ID, name and manufacturer (bytes as stored).
struct MaterialKey
{
    int32_t id = 0;
    std::string name;
    std::string manu;

    static MaterialKey Of(const CPrintMaterial &mat) { return {mat.m_nMatID, mat.m_szName, mat.m_szManu}; }
    bool operator<(const MaterialKey &o) const
    {
        return std::tie(id, name, manu) < std::tie(o.id, o.name, o.manu);
    }
    bool operator==(const MaterialKey &o) const { return id == o.id && name == o.name && manu == o.manu; }
};

// What the editor knows of a library's materials beyond the material file, which other programs
// read and must find unchanged: which vendor material each one stands for, or that it is the
// user's own. Kept beside user.cvx and written by the same Save; its entries are found by the
// material's ID, name and manufacturer, so that a material another program changed simply falls
// back to being matched by name and ID.
class EditorData
{
public:
    struct Link
    {
        bool known = false; // the file says something of this material
        bool own = true;    // else it stands for the vendor material below
        MaterialKey vendor;
        // The material it was copied from, then that one's parent and so on, as they were when
        // saved: the first that is still there is its parent; with none, the vendor material
        // the link fell back to, else none ("gone" names the parent that went).
        std::vector<MaterialKey> parents;
        bool hasParentVendor = false;
        MaterialKey parentVendor;
        std::string gone;
        double flowLimit = 0.0; // mm³/s; 0 for none
    };

    void SetLink(const CPrintMaterial &mat, const Link &link) { m_links[MaterialKey::Of(mat)] = link; }
    Link LinkOf(const CPrintMaterial &mat) const;
    bool IsEmpty() const { return m_links.empty(); }

    // As JSON, and back; what is not this data gives empty data.
    QJsonObject ToJsonObject() const;
    static EditorData FromJsonObject(const QJsonObject &json);
    QByteArray ToJson() const;
    static EditorData FromJson(const QByteArray &json);
    // The file; a missing or unreadable one gives empty data (with the reason in error).
    static EditorData Read(const QString &path, QString *error = nullptr);
    // Atomically; false with the reason.
    bool Write(const QString &path, QString *error) const;

private:
    std::map<MaterialKey, Link> m_links;
};
