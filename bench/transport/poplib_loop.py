#!/usr/bin/env python3
"""The same work as the fetch benchmark with Python's poplib: log in, then TOP n 0, LIST n and
UIDL n for every message, QUIT. Prints the seconds it took.
    poplib_loop.py HOST PORT USER PASSWORD
"""
import poplib
import sys
import time


def main():
    host, port, user, password = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    start = time.perf_counter()
    pop = poplib.POP3(host, port, timeout=20)
    pop.user(user)
    pop.pass_(password)
    count, _ = pop.stat()
    for n in range(1, count + 1):
        pop.top(n, 0)
        pop.list(n)
        pop.uidl(n)
    pop.quit()
    print(f"{time.perf_counter() - start:.6f}")


if __name__ == "__main__":
    main()
