// The Database location: the databases of the device's object store.
#include "filedialog/listings.h"

#include "platform/cedatabase.h"
#include "shell/iconcache.h"

namespace {

// An open database enumeration, closed when the holder goes.
class DatabaseSearch {
public:
    DatabaseSearch() : handle_(ce::CeFindFirstDatabaseEx(nullptr, 0)) {}
    ~DatabaseSearch() {
        if (IsOpen()) ce::CloseHandle(handle_);
    }
    DatabaseSearch(const DatabaseSearch&) = delete;
    DatabaseSearch& operator=(const DatabaseSearch&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    // The next database's identifier, 0 after the last.
    ce::CEOID Next() { return ce::CeFindNextDatabaseEx(handle_, nullptr); }

private:
    HANDLE handle_;
};

}  // namespace

DatabaseEntry::DatabaseEntry(const wchar_t* name, std::uint32_t size) : ListEntry(kDatabaseEntry, kImageDatabase),
                                                                        size_(size) {
    lstrcpynW(name_, name, ARRAYSIZE(name_));
}

void ListDatabases(FList<ListEntry*>& entries) {
    DatabaseSearch search;
    if (!search.IsOpen()) return;
    for (ce::CEOID oid = search.Next(); oid != 0; oid = search.Next()) {
        ce::CEOIDINFO info;
        if (!ce::CeOidGetInfoEx(nullptr, oid, &info) || info.wObjType != ce::OBJTYPE_DATABASE) continue;
        // Whatever the store handed back, the name ends inside its field.
        wchar_t* name = info.infDatabase.szDbaseName;
        name[ce::kMaxDatabaseName - 1] = L'\0';
        // A name beginning with a backslash marks a database kept from the user.
        if (name[0] == L'\\') continue;
        entries.push_back(new DatabaseEntry(name, info.infDatabase.dwSize));
    }
}
