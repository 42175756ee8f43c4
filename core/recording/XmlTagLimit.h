#pragma once

#include <QIODevice>
#include <QString>

#include <array>

// Passes an XML document through to a reader while counting the attributes of
// every tag. QXmlStreamReader checks each attribute against all the ones
// before it in the same tag, so one tag with 200,000 attributes costs minutes;
// a tag with more than `maxAttributes` stops the document here instead, before
// the reader has seen more than a few of them.
//
// The document may be in any encoding the reader knows: an ASCII-compatible
// one, UTF-16 or UTF-32 (told by the byte order mark or by the first "<").
class XmlTagLimit : public QIODevice
{
public:
    XmlTagLimit(QIODevice &source, int maxAttributes);

    bool exceeded() const { return tooMany; }
    QString errorText() const;
    // How far the source has been read.
    qint64 sourcePosition() const { return source.pos(); }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    enum class State { Text, Open, Bang, Tag, Quoted, Comment, CData, Declaration, Instruction };
    bool detectUnits(const char *data, qint64 size);
    void scan(const char *data, qint64 size);
    void scanUnit(char32_t unit);
    bool recentlyEndsWith(const char *ascii) const;

    QIODevice &source;
    const int limit;
    int unitBytes = 0; // 0: not known yet
    bool bigEndian = false;
    std::array<char, 4> partial{}; // bytes of a unit cut by the end of a read
    int partialSize = 0;
    State state = State::Text;
    char32_t quote = 0;
    int attributes = 0;
    std::array<char32_t, 12> recent{}; // the last units, for "-->", "]]>", "?>" and "<![CDATA["
    int bangLength = 0;
    bool tooMany = false;
};
