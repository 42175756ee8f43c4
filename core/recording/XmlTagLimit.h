#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <array>

// Passes an XML document through to a reader while bounding the work and the
// memory any one piece of it can cost the reader:
//
// - QXmlStreamReader checks each attribute against all the ones before it in
//   the same tag, so one tag with 200,000 attributes costs minutes; a tag with
//   more than `maxAttributes` stops the document here, before the reader has
//   seen more than a few of them.
// - The reader holds a whole token (an attribute value, a comment, a run of
//   text or blanks) in memory, several times over; a token longer than
//   `maxTokenUnits` stops the document before the reader holds it. The one
//   exception is an attribute value of PARAMS (the change log, long in a large
//   table and never read): what passes the bound is left out.
//
// The document may be in any encoding the reader knows: an ASCII-compatible
// one, UTF-16 or UTF-32 (told by the byte order mark or by the first "<").
class XmlTagLimit : public QIODevice
{
public:
    XmlTagLimit(QIODevice &source, int maxAttributes, qint64 maxTokenUnits);

    bool exceeded() const { return !refusal.isEmpty(); }
    const QString &errorText() const { return refusal; }
    // How far the source has been read.
    qint64 sourcePosition() const { return source.pos(); }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    enum class State { Text, Open, Bang, Tag, Quoted, Comment, CData, Declaration, Instruction };
    bool detectUnits(const char *data, qint64 size);
    qint64 pass(const char *data, qint64 size, char *out);
    // Whether the unit goes on to the reader.
    bool scanUnit(char32_t unit);
    void enter(State next);
    bool recentlyEndsWith(const char *ascii) const;
    bool continuesCharacter(char32_t unit) const;
    void refuse(const QString &what);

    QIODevice &source;
    const int limit;
    const qint64 maxToken;
    int unitBytes = 0; // 0: not known yet
    bool bigEndian = false;
    QByteArray held; // bytes of a unit cut by the end of a read, not passed on yet
    QByteArray input;
    QByteArray ready; // scanned, not yet given to the reader
    State state = State::Text;
    char32_t quote = 0;
    int attributes = 0;
    qint64 tokenUnits = 0;  // of the token being read
    QByteArray elementName; // the first characters of the tag being read
    bool nameEnded = false;
    bool keptLast = true;              // whether the last unit was passed on
    std::array<char32_t, 12> recent{}; // the last units, for "-->", "]]>", "?>" and "<![CDATA["
    int bangLength = 0;
    QString refusal;
};
