#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

// Element moves and copies on arrays. Indices past the end never touch memory
// outside the array.
namespace KivNSArray {

// Insert-before semantics, as for a drop between rows: moving backwards lands
// the element at `to`, moving forwards at `to - 1`; a `to` at or past the end
// makes it last. A `from` outside the array changes nothing.
template <typename T>
void moveObjectAt(std::vector<T>& array, std::size_t from, std::size_t to) {
    if (from == to || from >= array.size()) {
        return;
    }
    if (to >= array.size()) {
        std::rotate(array.begin() + static_cast<std::ptrdiff_t>(from),
                    array.begin() + static_cast<std::ptrdiff_t>(from) + 1, array.end());
    } else if (to < from) {
        std::rotate(array.begin() + static_cast<std::ptrdiff_t>(to),
                    array.begin() + static_cast<std::ptrdiff_t>(from),
                    array.begin() + static_cast<std::ptrdiff_t>(from) + 1);
    } else {
        std::rotate(array.begin() + static_cast<std::ptrdiff_t>(from),
                    array.begin() + static_cast<std::ptrdiff_t>(from) + 1,
                    array.begin() + static_cast<std::ptrdiff_t>(to));
    }
}

// True when the very object, not an equal one, is an element.
template <typename T>
bool containsObjectIdenticalTo(const std::vector<std::shared_ptr<T>>& array, const T* object) {
    return std::any_of(array.begin(), array.end(), [object](const std::shared_ptr<T>& element) {
        return element.get() == object;
    });
}

// Moves the first element equal to `object`; nothing when there is none.
template <typename T>
void moveObject(std::vector<T>& array, const T& object, std::size_t to) {
    const auto it = std::find(array.begin(), array.end(), object);
    if (it != array.end()) {
        moveObjectAt(array, static_cast<std::size_t>(it - array.begin()), to);
    }
}

template <typename T>
void moveObjectIdenticalTo(std::vector<std::shared_ptr<T>>& array, const T* object,
                           std::size_t to) {
    const auto it = std::find_if(array.begin(), array.end(), [object](const std::shared_ptr<T>& e) {
        return e.get() == object;
    });
    if (it != array.end()) {
        moveObjectAt(array, static_cast<std::size_t>(it - array.begin()), to);
    }
}

// Appends the elements of `other` from `fromIndex` on.
template <typename T>
void addObjectsFromArray(std::vector<T>& array, const std::vector<T>& other,
                         std::size_t fromIndex) {
    if (fromIndex < other.size()) {
        array.insert(array.end(), other.begin() + static_cast<std::ptrdiff_t>(fromIndex),
                     other.end());
    }
}

// Inserts the elements of `other`, in order, at `index` (at the end when past it).
template <typename T>
void insertObjectsFromArray(std::vector<T>& array, const std::vector<T>& other, std::size_t index) {
    index = std::min(index, array.size());
    array.insert(array.begin() + static_cast<std::ptrdiff_t>(index), other.begin(), other.end());
}

template <typename T>
std::vector<T> arrayWithReverseArray(const std::vector<T>& array) {
    return std::vector<T>(array.rbegin(), array.rend());
}

} // namespace KivNSArray
