Report example model
cell length 2 km
Pop 1,10,4,100
Pop 2,8.5,6,100
Pop 3,-1.125,20.4375,100
Pop 4,13,27.5,100
Pop 5,12,30,100
Migration
Pop. ALL
100
226
154
Pop. 1
50 0
0 0
0 0
Pop. 2
0 0
113 0
65 0
Pop. 3
0 0
8 0
12 0
Pop. 4
0 0
105 0
77 0
Pop. 5
50 0
0 0
0 0
