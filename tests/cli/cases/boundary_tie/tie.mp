Tie at the boundary
Pop A,0,2
Pop B,9,2
Pop C,0,1
Migration
Pop. ALL
30
Pop. 1
10
Pop. 2
10
Pop. 3
10
