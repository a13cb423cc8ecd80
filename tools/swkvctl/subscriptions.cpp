#include "tools/swkvctl/subscriptions.h"

#include <algorithm>
#include <cstdio>

#include "mxaraid/event_sink.h"
#include "tools/swkvctl/node_path.h"
#include "tools/swkvctl/status_text.h"

namespace swkv::ctl {

// Records each notification with the path of the node it watches.
class Subscriptions::Sink final : public CEventSink {
 public:
  Sink(std::shared_ptr<std::vector<Notice>> queue, std::string path)
      : m_queue(std::move(queue)), m_path(std::move(path)) {}

  HRESULT STDMETHODCALLTYPE RAIDNotification(ULONG code) override {
    m_queue->push_back(Notice{m_path, code});
    return S_OK;
  }

  void set_path(const std::string& path) { m_path = path; }

 private:
  ~Sink() = default;

  std::shared_ptr<std::vector<Notice>> m_queue;
  std::string m_path;
};

std::string NoticeWord(ULONG code) {
  if (code == kNotifyChanged) return "changed";
  if (code == kNotifyDeleted) return "deleted";
  char text[24];
  std::snprintf(text, sizeof text, "code 0x%04lX", static_cast<unsigned long>(code));
  return text;
}

Subscriptions::Subscriptions() : m_queue(std::make_shared<std::vector<Notice>>()) {}

Subscriptions::~Subscriptions() { Clear(); }

void Subscriptions::Follow(const TreeSnapshot& tree) {
  // Let go of the nodes that left the tree.
  for (auto it = m_list.begin(); it != m_list.end();) {
    if (tree.FindIdentity(it->identity.get())) {
      ++it;
      continue;
    }
    it->point->Unadvise(it->cookie);
    it = m_list.erase(it);
  }
  for (const NodeRecord& node : tree.nodes()) {
    bool known = false;
    for (Subscription& subscription : m_list) {
      if (subscription.identity.get() != node.identity.get()) continue;
      subscription.sink->set_path(node.path);
      known = true;
    }
    if (known || !node.identity) continue;
    Subscription subscription;
    subscription.identity = node.identity;
    ComPtr<IConnectionPointContainer> container =
        node.river.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    HRESULT status = container
                         ? container->FindConnectionPoint(IID_IRAIDEvent, subscription.point.put())
                         : E_NOINTERFACE;
    if (SUCCEEDED(status) && subscription.point) {
      subscription.sink = ComPtr<Sink>(new Sink(m_queue, node.path));
      status = subscription.point->Advise(subscription.sink.get(), &subscription.cookie);
    }
    if (FAILED(status) || !subscription.point) {
      m_refusals.push_back(ShowPath(node.path) + ": " + StatusText(status));
      continue;
    }
    m_list.push_back(std::move(subscription));
  }
}

void Subscriptions::Clear() {
  for (Subscription& subscription : m_list) subscription.point->Unadvise(subscription.cookie);
  m_list.clear();
}

std::vector<Notice> Subscriptions::Take() {
  std::vector<Notice> notices;
  notices.swap(*m_queue);
  return notices;
}

}  // namespace swkv::ctl

namespace swkv::ctl {

std::vector<std::string> NoticeLines(const std::vector<Notice>& notices, std::size_t indent,
                                     std::size_t width) {
  std::vector<ULONG> codes;
  for (const Notice& notice : notices)
    if (std::find(codes.begin(), codes.end(), notice.code) == codes.end())
      codes.push_back(notice.code);
  std::vector<std::string> lines;
  for (ULONG code : codes) {
    std::vector<std::string> paths;
    for (const Notice& notice : notices)
      if (notice.code == code &&
          std::find(paths.begin(), paths.end(), ShowPath(notice.path)) == paths.end())
        paths.push_back(ShowPath(notice.path));
    std::string line = NoticeWord(code) + ": ";
    const std::size_t hang = line.size();
    for (std::size_t i = 0; i < paths.size(); ++i) {
      const std::string word = paths[i] + (i + 1 < paths.size() ? "," : "");
      if (i > 0 && indent + line.size() + 1 + word.size() > width) {
        lines.push_back(line);
        line = std::string(hang, ' ') + word;
        continue;
      }
      line += (i > 0 ? " " : "") + word;
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace swkv::ctl
