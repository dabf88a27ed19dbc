"""The h5py side of the version 7.3 benchmark: reads every dataset of an
HDF5 file whole, once, and prints how many and the largest one's size.

Usage: /usr/bin/python3 h5py_read_all.py FILE
"""
import sys

import h5py


def main():
    count, largest = 0, 0
    with h5py.File(sys.argv[1], "r") as f:
        datasets = []
        f.visititems(lambda name, obj: datasets.append(obj) if isinstance(obj, h5py.Dataset) else None)
        for dataset in datasets:
            data = dataset[()]
            count += 1
            largest = max(largest, data.nbytes)
            del data
    print("%d datasets, largest %d bytes" % (count, largest))


if __name__ == "__main__":
    main()
