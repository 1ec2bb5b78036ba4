// SPDX-License-Identifier: GPL-3.0-or-later
// What the storage beneath a shredded item can promise, told from a
// described system: the file system's statfs type, its mount's options, the
// block devices' sysfs attributes. One row per kind of storage.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <functional>

#include "fs/storage_class.h"
#include "platform/sys_calls.h"
#include "support/fake_system_files.h"
#include "support/temp_dir.h"

namespace velmora::testing {
namespace {

// The statfs type every descriptor reports while a row runs, and how often
// it was asked.
long g_fs_type = 0;
int g_statfs_calls = 0;

SysCalls WithFsType() {
  SysCalls calls = Sys();
  calls.fstatfs = [](int, struct statfs* out) {
    ++g_statfs_calls;
    *out = {};
    out->f_type = g_fs_type;
    return 0;
  };
  return calls;
}

constexpr long kExt4 = 0xEF53, kXfs = 0x58465342, kTmpfs = 0x01021994, kBtrfs = 0x9123683E, kZfs = 0x2FC12FC1,
               kBcachefs = 0xCA451A4E, kNilfs = 0x3434, kF2fs = 0xF2F52010, kOverlay = 0x794C7630,
               kFuse = 0x65735546, kNfs = 0x6969, kCifs = 0xFF534D42, kSmb2 = 0xFE534D42;

// A spinning SATA disk sda with a WWN, an NVMe SSD with one, a USB stick
// (rotational as such sticks claim, but removable) with a serial, an SSD
// without any identity, a virtio disk that says it spins, and zram.
void Disks(FakeSystemFiles& sys) {
  sys.files["/sys/dev/block/8:0/device/wwid"] = "naa.5000c500a1b2c3d4\n";
  sys.Disk("8:0", "sda", /*rotational=*/true);
  sys.Partition("8:1", "sda1", "8:0");
  sys.Partition("8:2", "sda2", "8:0");
  sys.files["/sys/dev/block/259:0/wwid"] = "eui.0025385b71b0e5d2\n";
  sys.Disk("259:0", "nvme0n1", /*rotational=*/false);
  sys.Partition("259:1", "nvme0n1p1", "259:0");
  sys.files["/sys/dev/block/8:16/device/serial"] = "  4C530001120612110283 \n";
  sys.Disk("8:16", "sdb", /*rotational=*/true, /*removable=*/true);
  sys.Partition("8:17", "sdb1", "8:16");
  sys.Disk("8:32", "sdc", /*rotational=*/false);
  sys.files["/sys/dev/block/8:48/device/../../../../serial"] = "0401396b2c1e\n";
  sys.Disk("8:48", "sdd", /*rotational=*/true, /*removable=*/true);
  sys.Disk("254:0", "vda", /*rotational=*/true);
  sys.files["/sys/dev/block/254:0/serial"] = "\n";
  sys.Disk("252:0", "zram0", /*rotational=*/false);
  // Loop devices say they do not spin when their file is in memory.
  sys.Disk("7:0", "loop0", /*rotational=*/false);
  sys.files["/sys/dev/block/7:0/loop/backing_file"] = "/dev/shm/disk.img\n";
  sys.looks["/dev/shm/disk.img"] = FsLook{kTmpfs, 30, 0, 27};
  sys.Mount(30, "0:27", "tmpfs", "rw,size=1024k");
  sys.Disk("7:1", "loop1", /*rotational=*/false);
  sys.files["/sys/dev/block/7:1/loop/backing_file"] = "/srv/pool/disk.img\n";
  sys.looks["/srv/pool/disk.img"] = FsLook{kBtrfs, 31, 0, 48};
  sys.Mount(31, "0:48", "btrfs", "rw,ssd,space_cache=v2,subvolid=5,subvol=/");
  sys.Disk("7:2", "loop2", /*rotational=*/false);
  sys.files["/sys/dev/block/7:2/loop/backing_file"] = "/home/u/disk.img\n";
  sys.looks["/home/u/disk.img"] = FsLook{kExt4, 32, 259, 1};
  sys.Mount(32, "259:1", "ext4", "rw,errors=remount-ro");
  sys.Disk("7:3", "loop3", /*rotational=*/false);
  sys.files["/sys/dev/block/7:3/loop/backing_file"] = "/var/tmp/disk.img\n";
  sys.looks["/var/tmp/disk.img"] = FsLook{kExt4, 33, 8, 1};
  sys.Mount(33, "8:1", "ext4", "rw");
  sys.Disk("7:4", "loop4", /*rotational=*/false);
  sys.files["/sys/dev/block/7:4/loop/backing_file"] = "/tmp/gone.img (deleted)\n";
  // Device-mapper two deep: an LVM volume on a LUKS mapping on a partition.
  sys.Stacked("253:0", "dm-0", {"nvme0n1p1"});
  sys.Stacked("253:1", "dm-1", {"dm-0"});
  sys.Stacked("253:2", "dm-2", {"sda2"});
  sys.Stacked("253:3", "dm-3", {"dm-2"});
  // RAID over a spinning disk and an SSD without identity.
  sys.Stacked("9:0", "md0", {"sda1", "sdc"});
}

struct Row {
  const char* what;
  long fs_type;
  const char* mount_type;
  const char* options;
  const char* device;
  StorageClass expected;
};

const Row kRows[] = {
    {"ext4 on a spinning disk", kExt4, "ext4", "rw,relatime", "8:1", {}},
    {"XFS on a spinning disk", kXfs, "xfs", "rw,attr2,inode64", "8:2", {}},
    {"ext4 on a virtual disk that says it spins", kExt4, "ext4", "rw,discard", "254:0", {}},
    {"tmpfs", kTmpfs, "tmpfs", "rw,size=100m", "0:40", {}},
    {"ext4 on zram", kExt4, "ext4", "rw", "252:0", {}},
    {"ext4 on a loop device over a file in memory", kExt4, "ext4", "rw", "7:0", {}},
    {"ext4 on a loop device over a file on a spinning disk", kExt4, "ext4", "rw", "7:3", {}},
    {"ext4 on a loop device whose file was deleted", kExt4, "ext4", "rw", "7:4", {}},
    {"ext4 with data=ordered", kExt4, "ext4", "rw,data=ordered", "8:1", {}},
    {"an unknown file system on no block device", 0x12345678, "proc", "rw", "0:22", {}},
    {"Btrfs", kBtrfs, "btrfs", "rw,space_cache=v2", "0:45", {StorageRisk::CopyOnWrite, {}}},
    {"Btrfs on an SSD", kBtrfs, "btrfs", "rw,ssd", "259:1", {StorageRisk::CopyOnWrite, {}}},
    {"ZFS", kZfs, "zfs", "rw,xattr,posixacl", "0:46", {StorageRisk::CopyOnWrite, {}}},
    {"bcachefs", kBcachefs, "bcachefs", "rw", "8:1", {StorageRisk::CopyOnWrite, {}}},
    {"NILFS2", kNilfs, "nilfs2", "rw", "8:1", {StorageRisk::CopyOnWrite, {}}},
    {"F2FS", kF2fs, "f2fs", "rw,lazytime", "8:1", {StorageRisk::CopyOnWrite, {}}},
    {"ext4 on a loop device over a file on Btrfs", kExt4, "ext4", "rw", "7:1", {StorageRisk::CopyOnWrite, {}}},
    {"overlay", kOverlay, "overlay", "rw,lowerdir=/l,upperdir=/u,workdir=/w", "0:50", {StorageRisk::Overlay, {}}},
    {"NFS", kNfs, "nfs4", "rw,vers=4.2,addr=10.0.0.2", "0:51", {StorageRisk::Network, {}}},
    {"SMB", kSmb2, "cifs", "rw,vers=3.1.1", "0:52", {StorageRisk::Network, {}}},
    {"CIFS", kCifs, "cifs", "rw,vers=1.0", "0:53", {StorageRisk::Network, {}}},
    {"virtiofs", kFuse, "virtiofs", "rw", "0:54", {StorageRisk::Network, {}}},
    {"SSHFS", kFuse, "fuse.sshfs", "rw,user_id=1000", "0:55", {StorageRisk::UserSpace, {}}},
    {"NTFS through fuseblk on a spinning disk", kFuse, "fuseblk", "rw,user_id=0", "8:2", {}},
    {"NTFS through fuseblk on a USB stick", kFuse, "fuseblk", "rw", "8:17",
     {StorageRisk::Flash, {"4C530001120612110283"}}},
    {"ext4 with data=journal", kExt4, "ext4", "rw,data=journal", "8:1", {StorageRisk::DataJournal, {}}},
    {"ext4 with data=journal on an SSD", kExt4, "ext4", "rw,nodelalloc,data=journal", "259:1",
     {StorageRisk::DataJournal, {}}},
    {"ext4 on an NVMe partition", kExt4, "ext4", "rw", "259:1", {StorageRisk::Flash, {"eui.0025385b71b0e5d2"}}},
    {"ext4 on a whole SSD without an identity", kExt4, "ext4", "rw", "8:32", {StorageRisk::Flash, {""}}},
    {"exFAT on a USB stick known by its USB serial", 0x2011BAB0, "exfat", "rw", "8:48",
     {StorageRisk::Flash, {"0401396b2c1e"}}},
    {"vfat on a USB stick", 0x4d44, "vfat", "rw,fmask=0022", "8:17", {StorageRisk::Flash, {"4C530001120612110283"}}},
    {"ext4 on a loop device over a file on an SSD", kExt4, "ext4", "rw", "7:2",
     {StorageRisk::Flash, {"eui.0025385b71b0e5d2"}}},
    {"ext4 on LVM on LUKS on an SSD", kExt4, "ext4", "rw", "253:1", {StorageRisk::Flash, {"eui.0025385b71b0e5d2"}}},
    {"ext4 on LVM on LUKS on a spinning disk", kExt4, "ext4", "rw", "253:3", {}},
    {"ext4 on RAID over a spinning disk and an SSD", kExt4, "ext4", "rw", "9:0", {StorageRisk::Flash, {""}}},
};

dev_t DevOf(const std::string& device) {
  unsigned major = 0, minor = 0;
  std::sscanf(device.c_str(), "%u:%u", &major, &minor);
  return makedev(major, minor);
}

TEST(StorageClass, EachKindOfStorageIsToldFromItsFileSystemMountAndDevice) {
  TempDir dir;
  const int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  ScopedSysCalls calls(WithFsType());
  for (const Row& row : kRows) {
    FakeSystemFiles sys;
    Disks(sys);
    sys.Mount(100, row.device, row.mount_type, row.options);
    g_fs_type = row.fs_type;
    StorageSurvey survey(sys);
    EXPECT_EQ(survey.Classify(fd, 100, DevOf(row.device)), row.expected) << row.what;
  }
  // A data journal the run zeroed keeps nothing; the device beneath decides.
  // The journal of a loop image's file system is not the run's to zero.
  FakeSystemFiles sys;
  Disks(sys);
  sys.Mount(100, "259:1", "ext4", "rw,data=journal");
  sys.Disk("7:5", "loop5", /*rotational=*/false);
  sys.files["/sys/dev/block/7:5/loop/backing_file"] = "/mnt/100/disk.img\n";
  sys.looks["/mnt/100/disk.img"] = FsLook{kExt4, 100, 259, 1};
  sys.Mount(101, "7:5", "ext4");
  g_fs_type = kExt4;
  StorageSurvey survey(sys);
  EXPECT_EQ(survey.Classify(fd, 101, DevOf("7:5"), /*journal_zeroed=*/true).risk, StorageRisk::DataJournal);
  EXPECT_EQ(survey.Classify(fd, 100, DevOf("259:1"), /*journal_zeroed=*/true),
            (StorageClass{StorageRisk::Flash, {"eui.0025385b71b0e5d2"}}));
  ::close(fd);
}

// A folder shred on one mount, or a thousand files listed from one disk:
// the file system is asked once per mount, the mount table read once per
// run, each device's attributes once.
TEST(StorageClass, EachMountAndDeviceIsLookedAtOncePerRun) {
  TempDir dir;
  const int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ScopedSysCalls calls(WithFsType());
  FakeSystemFiles sys;
  Disks(sys);
  sys.Mount(100, "253:1", "ext4", "rw");
  sys.Mount(101, "253:1", "ext4", "rw");  // a bind mount of the same volume
  g_fs_type = kExt4;
  g_statfs_calls = 0;
  StorageSurvey survey(sys);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(survey.Classify(fd, 100, DevOf("253:1")).risk, StorageRisk::Flash);
    EXPECT_EQ(survey.Classify(fd, 101, DevOf("253:1")).risk, StorageRisk::Flash);
  }
  ::close(fd);
  EXPECT_EQ(g_statfs_calls, 2);
  EXPECT_EQ(sys.reads["/proc/self/mountinfo"], 1);
  EXPECT_EQ(sys.reads["/sys/dev/block/253:1/slaves"], 1);
  EXPECT_EQ(sys.reads["/sys/dev/block/259:1/../queue/rotational"], 1);
}

// On its own, for an open folder: what this machine's disks say, whatever
// they are, without a fake. The answer for memory is known.
TEST(StorageClass, AnOpenFolderInMemoryIsClassifiedOnItsOwn) {
  const int fd = ::open("/dev/shm", O_RDONLY | O_DIRECTORY);
  if (fd < 0) GTEST_SKIP() << "skipped: no /dev/shm";
  struct statfs fs;
  ASSERT_EQ(::fstatfs(fd, &fs), 0);
  if (static_cast<long>(fs.f_type) != kTmpfs) GTEST_SKIP() << "skipped: /dev/shm is not tmpfs here";
  EXPECT_EQ(ClassifyStorage(fd), StorageClass{});
  ::close(fd);
}

}  // namespace
}  // namespace velmora::testing
