#include "list_check.h"

#include <fstream>

#include "program_identity.h"
#include "local_list_platform.h"
#include "update_check.h"
#include "update_failure.h"

namespace {

// The first bytes of the list, as many as the program reads for its lines.
std::string ListHead(const std::string& listFile) {
    std::ifstream file(listFile, std::ios::binary);
    std::string head(UPDATE_LIST_MAX_BYTES, '\0');
    file.read(&head[0], head.size());
    head.resize(static_cast<size_t>(file.gcount()));
    return head;
}

}  // namespace

ListCheck CheckUpdateList(const std::string& listFile, const std::string& signatureFile, const P256PublicKey& key,
                          std::string_view host, std::string_view installedVersion) {
    LocalListPlatform platform{std::string(host), listFile, signatureFile};
    RunUpdateCheck(platform, host, 0, PROGRAM_NAME, installedVersion, &key);

    ListCheck check;
    for (const LocalListPlatform::Box& box : platform.boxes) {
        if (box.caption == UPDATE_FAILURE_CAPTION) {
            check.failure = box.text;
            break;
        }
    }
    check.signatureValid = platform.verified;
    check.opened = platform.opened;
    check.fetched = platform.fetched;
    // The line as the program reads it, to name what it would offer or
    // refuse.
    const std::string head = ListHead(listFile);
    check.listEmpty = head.empty();
    check.hasEntry = FindUpdateListEntry(head, PROGRAM_NAME, check.entry);
    return check;
}
