#pragma once
#include <QByteArrayView>

#include <cstddef>
#include <functional>

namespace kv {

// Reads a request table document straight from its bytes when it has the
// plain form the table editor writes:
//
//   <Root><row A="..." B='...'/> ... </Root><!--...-->
//
// that is, the root element first (no declaration, no attributes), inside it
// only empty elements with quoted attributes and blanks between them, and
// after it only blanks and comments.  Names are ASCII; a value holds no
// "&", "<", tab, line break or zero byte, so the XML parser would hand it
// over unchanged.  Such a document reads exactly as the parser reads it, at
// a fraction of the cost.
//
// Anything else makes the scan give up: the caller then reads the document
// with the XML parser, which handles every other form and reports what is
// not well-formed.  Giving up may come after some rows were reported.
// The attribute names a row is searched for, at most MaxNames; a row's
// values are kept in this order.
class AttributeNames {
public:
    static constexpr int MaxNames = 32;
    AttributeNames(const char* const* names, int count);

    int Count() const { return m_count; }
    const char* Name(int i) const { return m_names[i]; }
    size_t Length(int i) const { return m_lengths[i]; }
    // The index of the name with these bytes, or -1.  Rows written by the
    // editor have their attributes in the order of the names, so the one
    // after the last found (expected) is tried first.
    int Find(const char* name, size_t length, int expected) const;

private:
    const char* const* m_names;
    size_t m_lengths[MaxNames] = {};
    int m_count;
};

class PlainTableScan {
public:
    explicit PlainTableScan(const AttributeNames& names) : m_names(names) {}

    // Readable bytes the scan needs after the end of the document.
    static constexpr int Padding = 16;

    // Scans [begin, end); Padding bytes must follow end, the first of them
    // a zero byte.  The bytes are not changed.  For each row element, row()
    // gets one view per name: the
    // value of the first attribute of that name, or a view without data
    // when the row lacks it.  True when the whole document had the plain
    // form.
    bool Scan(const char* begin, const char* end,
              const std::function<void(const QByteArrayView* values)>& row) const;

private:
    const AttributeNames& m_names;
};

} // namespace kv
