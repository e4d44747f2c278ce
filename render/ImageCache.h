#pragma once

#include <QImage>
#include <list>
#include <utility>

// A small cache of images made from other images (turned, inked, made
// transparent), kept within a byte budget, most recently used first. Handing
// the same QImage out again matters beyond speed: a PDF embeds an image once
// per image, not once per drawing, only when it sees the same image again.
// Not shared between threads: each user keeps one per thread (thread_local),
// so pictures can be drawn on worker threads too.
template <typename Key>
class ImageCache {
public:
    explicit ImageCache(qint64 budgetBytes) : budget_(budgetBytes) {}

    const QImage *find(const Key &key) {
        for (auto it = entries_.begin(); it != entries_.end(); ++it) {
            if (it->first == key) {
                entries_.splice(entries_.begin(), entries_, it);
                return &entries_.front().second;
            }
        }
        return nullptr;
    }

    const QImage &insert(const Key &key, QImage image) {
        bytes_ += image.sizeInBytes();
        entries_.emplace_front(key, std::move(image));
        while (bytes_ > budget_ && entries_.size() > 1) {
            bytes_ -= entries_.back().second.sizeInBytes();
            entries_.pop_back();
        }
        return entries_.front().second;
    }

    template <typename Make>
    QImage get(const Key &key, Make make) {
        if (const QImage *found = find(key))
            return *found;
        return insert(key, make());
    }

private:
    std::list<std::pair<Key, QImage>> entries_;
    qint64 bytes_ = 0;
    qint64 budget_;
};
