#! 1.5 y 0 0 1 -5
model of two patches
cell length 0.25 km
Pop 1,10.5,20,1000
Pop 2,12,18,500
Migration
0.1,0.2
Pop. ALL
1500
1480
1470
Pop. 1
1000
990
980
Pop. 2
500
490
490
