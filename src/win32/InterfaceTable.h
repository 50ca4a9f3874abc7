#pragma once
// QueryInterface from a table, as the platform's QISearch does: each interface an object offers,
// with where its pointer sits in the object; IUnknown is the first one's.
#include <unknwn.h>
#include <cstddef>

struct InterfaceEntry {
    const IID *iid;
    std::ptrdiff_t offset;
};

// Where class C keeps its interface I, measured on a made-up address, as QITABENT does.
template <class C, class I>
InterfaceEntry EntryOf(const IID &iid) {
    C *object = reinterpret_cast<C *>(sizeof(void *));
    return {&iid, reinterpret_cast<char *>(static_cast<I *>(object)) - reinterpret_cast<char *>(object)};
}

template <std::size_t N>
HRESULT QueryTable(void *object, const InterfaceEntry (&table)[N], REFIID iid, void **out) {
    if (!out) return E_POINTER;
    for (const InterfaceEntry &entry : table) {
        if (iid != *entry.iid && !(iid == IID_IUnknown && &entry == table)) continue;
        auto *found = reinterpret_cast<IUnknown *>(static_cast<char *>(object) + entry.offset);
        found->AddRef();
        *out = found;
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}
