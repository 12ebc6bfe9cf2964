#!/usr/bin/python3
"""Writes random_networks.txt: the optimal total cost of random feasible
minimum-cost-flow problems, solved by scipy's linprog (HiGHS).

The problems are made by the same generator as random_networks_test.cpp
(a 64-bit linear congruential generator); each line holds the seed, the node
and arc counts, a checksum of the arcs and the optimum, so that the test can
see that it rebuilt the same problem.

    /usr/bin/python3 make_random_networks.py > random_networks.txt
"""
import numpy as np
from scipy.optimize import linprog

MASK = (1 << 64) - 1


class Lcg:
    def __init__(self, seed):
        self.state = seed & MASK

    def next(self, k):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) & MASK
        return (self.state >> 33) % k


def problem(seed):
    g = Lcg(seed)
    n = 10 + g.next(41)
    pairs, seen = [], set()

    def add(a, b):
        if a != b and (a, b) not in seen:
            seen.add((a, b))
            pairs.append((a, b))

    for v in range(2, n + 1):
        u = 1 + g.next(v - 1)
        if g.next(2):
            add(u, v)
        else:
            add(v, u)
    for _ in range(1 + g.next(2 * n)):
        a = 1 + g.next(n)
        b = 1 + g.next(n)
        add(a, b)
    arcs = []
    supply = [0] * (n + 1)
    for a, b in pairs:
        x4 = 4 * g.next(21)
        l4 = 0 if g.next(3) == 0 else max(0, x4 - 2 * g.next(9))
        u4 = x4 + 2 * g.next(11)
        c4 = g.next(41) - 15
        arcs.append((a, b, l4, u4, c4))
        supply[a] += x4 // 4
        supply[b] -= x4 // 4
    return n, arcs, supply


def checksum(arcs):
    return sum((i + 1) * c4 + l4 + u4 + a * b for i, (a, b, l4, u4, c4) in enumerate(arcs))


def main():
    for seed in range(1, 201):
        n, arcs, supply = problem(seed)
        m = len(arcs)
        A = np.zeros((n, m))
        for j, (a, b, *_rest) in enumerate(arcs):
            A[a - 1, j] += 1
            A[b - 1, j] -= 1
        c = [c4 / 4 for *_h, c4 in arcs]
        bounds = [(l4 / 4, u4 / 4) for _a, _b, l4, u4, _c in arcs]
        res = linprog(c, A_eq=A, b_eq=supply[1:], bounds=bounds, method="highs")
        assert res.status == 0, (seed, res.message)
        print(f"{seed} {n} {m} {checksum(arcs)} {res.fun:.9f}")


if __name__ == "__main__":
    main()
