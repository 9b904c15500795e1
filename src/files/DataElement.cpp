#include "files/DataElement.h"

namespace ravix {

std::unique_ptr<DataElement> SingleDataElement::Clone() const {
    return std::make_unique<SingleDataElement>(*this);
}

ListDataElement::ListDataElement(const ListDataElement& other) : DataElement(true) {
    *this = other;
}

ListDataElement& ListDataElement::operator=(const ListDataElement& other) {
    if (this == &other)
        return *this;
    std::vector<std::unique_ptr<DataElement>> copies;
    copies.reserve(other.mElements.size());
    for (const auto& element : other.mElements)
        copies.push_back(element->Clone());
    mElements = std::move(copies);
    return *this;
}

std::unique_ptr<DataElement> ListDataElement::Clone() const {
    return std::make_unique<ListDataElement>(*this);
}

} // namespace ravix
