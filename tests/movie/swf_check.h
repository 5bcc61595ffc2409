// Independent parsing of the movies the tests write, through python3-yaswfp.
#pragma once

#include "tests/support/test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace swfcheck {

struct Tag {
    std::string name;
    int64_t length = 0;
    bool parsed = false;  // the parser read exactly length bytes of a known tag
    QJsonObject fields;
};

struct Summary {
    bool parsed = false;
    std::string output;  // the tool's output when it failed
    QJsonObject header;
    std::vector<Tag> tags;

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const Tag &tag : tags) {
            names.push_back(tag.name);
        }
        return names;
    }
};

// The Python interpreter that has yaswfp, or "" when none has.
inline std::string Interpreter()
{
    for (const char *candidate : {"/usr/bin/python3", "python3"}) {
        std::string probe = std::string(candidate) + " -c 'import yaswfp' >/dev/null 2>&1";
        if (std::system(probe.c_str()) == 0) {
            return candidate;
        }
    }
    return "";
}

inline Summary Parse(const std::string &path)
{
    Summary summary;
    std::string command = Interpreter() + " " + testsupport::DataPath("swf_summary.py") + " '" + path + "' 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return summary;
    }
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        summary.output.append(chunk, n);
    }
    pclose(pipe);
    QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(summary.output));
    if (!json.isObject()) {
        return summary;
    }
    summary.parsed = true;
    summary.header = json.object()["header"].toObject();
    for (const QJsonValue &value : json.object()["tags"].toArray()) {
        QJsonObject object = value.toObject();
        summary.tags.push_back({object["name"].toString().toStdString(),
                                static_cast<int64_t>(object["length"].toDouble()), object["ok"].toBool(),
                                object["fields"].toObject()});
    }
    return summary;
}

}  // namespace swfcheck

// Skips the test when yaswfp is not installed.
#define REQUIRE_YASWFP()                                               \
    do {                                                               \
        if (swfcheck::Interpreter().empty()) {                         \
            GTEST_SKIP() << "python3-yaswfp is not installed";          \
        }                                                              \
    } while (0)
