// A pass-through file system that behaves like the file servers clinics keep their
// pictures on: it refuses renames with flags (RENAME_NOREPLACE, RENAME_EXCHANGE)
// with EINVAL and hard links with EPERM, and reports times to 2 seconds.
//
//   tolvarine-refusing-fs BACKING MOUNTPOINT [FUSE options]
//
// It returns once the mount is in place and serves it in the background; unmount
// with fusermount3 -u MOUNTPOINT.
#define FUSE_USE_VERSION 31

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace {

int backing = -1; // the backing folder; every path is resolved beneath it

// "/a/b" → "a/b", "/" → ".".
const char *relative(const char *path) { return path[1] ? path + 1 : "."; }

int result(int rc) { return rc < 0 ? -errno : rc; }

void coarse(struct timespec &t)
{
    t.tv_sec -= t.tv_sec % 2;
    t.tv_nsec = 0;
}

void *fs_init(struct fuse_conn_info *, struct fuse_config *cfg)
{
    // No caching, as with several workstations on one share; no hidden
    // ".fuse_hidden" names for files removed while open.
    cfg->entry_timeout = cfg->attr_timeout = cfg->negative_timeout = 0;
    cfg->hard_remove = 1;
    cfg->use_ino = 1;
    return nullptr;
}

int fs_getattr(const char *path, struct stat *st, struct fuse_file_info *fi)
{
    const int rc = fi ? fstat(int(fi->fh), st) : fstatat(backing, relative(path), st, AT_SYMLINK_NOFOLLOW);
    if (rc == 0) {
        coarse(st->st_mtim);
        coarse(st->st_ctim);
        coarse(st->st_atim);
    }
    return result(rc);
}

int fs_readdir(const char *path, void *buf, fuse_fill_dir_t fill, off_t, struct fuse_file_info *,
               enum fuse_readdir_flags)
{
    const int fd = openat(backing, relative(path), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return -errno;
    DIR *dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return -errno;
    }
    while (const dirent *entry = ::readdir(dir))
        fill(buf, entry->d_name, nullptr, 0, fuse_fill_dir_flags(0));
    closedir(dir);
    return 0;
}

int fs_mkdir(const char *path, mode_t mode) { return result(mkdirat(backing, relative(path), mode)); }
int fs_unlink(const char *path) { return result(unlinkat(backing, relative(path), 0)); }
int fs_rmdir(const char *path) { return result(unlinkat(backing, relative(path), AT_REMOVEDIR)); }
int fs_chmod(const char *path, mode_t mode, struct fuse_file_info *fi)
{
    return result(fi ? fchmod(int(fi->fh), mode) : fchmodat(backing, relative(path), mode, 0));
}
int fs_chown(const char *, uid_t, gid_t, struct fuse_file_info *) { return 0; }
int fs_access(const char *path, int mask) { return result(faccessat(backing, relative(path), mask, 0)); }

int fs_rename(const char *from, const char *to, unsigned int flags)
{
    if (flags)
        return -EINVAL;
    return result(renameat(backing, relative(from), backing, relative(to)));
}

int fs_link(const char *, const char *) { return -EPERM; }

int fs_truncate(const char *path, off_t size, struct fuse_file_info *fi)
{
    if (fi)
        return result(ftruncate(int(fi->fh), size));
    const int fd = openat(backing, relative(path), O_WRONLY);
    if (fd < 0)
        return -errno;
    const int rc = result(ftruncate(fd, size));
    close(fd);
    return rc;
}

int fs_utimens(const char *path, const struct timespec tv[2], struct fuse_file_info *fi)
{
    return result(fi ? futimens(int(fi->fh), tv)
                     : utimensat(backing, relative(path), tv, AT_SYMLINK_NOFOLLOW));
}

int fs_create(const char *path, mode_t mode, struct fuse_file_info *fi)
{
    const int fd = openat(backing, relative(path), fi->flags | O_CREAT, mode);
    if (fd < 0)
        return -errno;
    fi->fh = uint64_t(fd);
    return 0;
}

int fs_open(const char *path, struct fuse_file_info *fi)
{
    const int fd = openat(backing, relative(path), fi->flags & ~O_NOFOLLOW);
    if (fd < 0)
        return -errno;
    fi->fh = uint64_t(fd);
    return 0;
}

int fs_read(const char *, char *buf, size_t size, off_t offset, struct fuse_file_info *fi)
{
    return result(int(pread(int(fi->fh), buf, size, offset)));
}

int fs_write(const char *, const char *buf, size_t size, off_t offset, struct fuse_file_info *fi)
{
    return result(int(pwrite(int(fi->fh), buf, size, offset)));
}

int fs_statfs(const char *, struct statvfs *st) { return result(fstatvfs(backing, st)); }
int fs_release(const char *, struct fuse_file_info *fi) { return result(close(int(fi->fh))); }
int fs_fsync(const char *, int dataOnly, struct fuse_file_info *fi)
{
    return result(dataOnly ? fdatasync(int(fi->fh)) : ::fsync(int(fi->fh)));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s BACKING MOUNTPOINT [FUSE options]\n", argv[0]);
        return 2;
    }
    backing = ::open(argv[1], O_RDONLY | O_DIRECTORY);
    if (backing < 0) {
        std::perror(argv[1]);
        return 2;
    }
    struct fuse_operations ops {};
    ops.init = fs_init;
    ops.getattr = fs_getattr;
    ops.readdir = fs_readdir;
    ops.mkdir = fs_mkdir;
    ops.unlink = fs_unlink;
    ops.rmdir = fs_rmdir;
    ops.rename = fs_rename;
    ops.link = fs_link;
    ops.chmod = fs_chmod;
    ops.chown = fs_chown;
    ops.truncate = fs_truncate;
    ops.utimens = fs_utimens;
    ops.create = fs_create;
    ops.open = fs_open;
    ops.read = fs_read;
    ops.write = fs_write;
    ops.statfs = fs_statfs;
    ops.release = fs_release;
    ops.fsync = fs_fsync;
    ops.access = fs_access;
    std::vector<char *> args{argv[0], argv[2], const_cast<char *>("-o"),
                             const_cast<char *>("fsname=tolvarine-refusing,subtype=refusing")};
    for (int i = 3; i < argc; ++i)
        args.push_back(argv[i]);
    return fuse_main(int(args.size()), args.data(), &ops, nullptr);
}
