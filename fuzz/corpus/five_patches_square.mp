#! 0.25 Y 0 0 4 0
Pop A,0,0
Pop B,0,5
Pop C,0,10
Pop D,0,20
Pop E,4,4
Migration
Pop. ALL




Pop. 1
10
0
1
5
Pop. 2
20
0
2
5
Pop. 3
30
0
3
0
Pop. 4
40
0
4
5
Pop. 5
5
5
5
5
