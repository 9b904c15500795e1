#pragma once

#include <memory>
#include <string>
#include <vector>

namespace ravix {

// A parameter of a descriptor command: a single word or a parenthesised list of elements.
class DataElement {
public:
    virtual ~DataElement() = default;
    // A new deep copy.
    virtual std::unique_ptr<DataElement> Clone() const = 0;

    bool IsList() const { return mIsList; }

protected:
    explicit DataElement(bool isList) : mIsList(isList) {}

private:
    bool mIsList;
};

class SingleDataElement : public DataElement {
public:
    explicit SingleDataElement(std::string text = {})
        : DataElement(false), mText(std::move(text)) {}
    std::unique_ptr<DataElement> Clone() const override;

    std::string mText; // exactly as it stood in the command, quotes included
};

class ListDataElement : public DataElement {
public:
    ListDataElement() : DataElement(true) {}
    // Copying clones every element; assignment first drops the target's own elements.
    ListDataElement(const ListDataElement& other);
    ListDataElement& operator=(const ListDataElement& other);
    ListDataElement(ListDataElement&&) = default;
    ListDataElement& operator=(ListDataElement&&) = default;
    std::unique_ptr<DataElement> Clone() const override;

    std::vector<std::unique_ptr<DataElement>> mElements;
};

} // namespace ravix
